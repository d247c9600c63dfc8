#include "app/ui/message_box_dialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tamberline {
namespace {

QList<QPushButton*> Buttons(const QDialog& dialog) {
    return dialog.findChildren<QPushButton*>();
}

TEST(MessageBoxDialogTest, ShowsTitleButtonsAndDefault) {
    MessageBoxDialog dialog(nullptr, "Overwrite this button ?",
                            mb::kYesNo | mb::kIconQuestion | mb::kDefault2);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tamberline."));
    const auto buttons = Buttons(dialog);
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Yes"));
    EXPECT_EQ(buttons[1]->text(), QStringLiteral("No"));
    EXPECT_TRUE(buttons[1]->isDefault());
    for (QPushButton* button : buttons) {
        EXPECT_GE(button->width(), 75);
        EXPECT_GE(button->height(), 25);
        EXPECT_EQ(button->width(), buttons[0]->width());  // all as wide as the widest
    }
}

TEST(MessageBoxDialogTest, PressedButtonGivesItsResultAndClosingCancels) {
    const struct {
        int press;  // -1: closed with Escape
        int result;
    } cases[] = {{0, kResultYes}, {1, kResultNo}, {2, kResultCancel}, {-1, kResultCancel}};
    for (const auto& c : cases) {
        MessageBoxDialog dialog(nullptr, "Do you want to save this session ?",
                                mb::kYesNoCancel | mb::kIconQuestion);
        QTimer::singleShot(0, &dialog, [&] {
            if (c.press < 0) {
                dialog.reject();
            } else {
                Buttons(dialog)[c.press]->click();
            }
        });
        EXPECT_EQ(dialog.exec(), c.result) << c.press;
    }
}

TEST(MessageBoxDialogTest, PeerClosesAnOpenQuestionWithMinusOne) {
    MessageBoxDialog dialog(nullptr, "question", mb::kYesNo);
    QTimer::singleShot(0, &dialog, &MessageBoxDialog::CloseByPeer);
    EXPECT_EQ(dialog.exec(), kResultClosedByPeer);
}

TEST(MessageBoxDialogTest, BoxNearTheScreenEdgeMovesBackInside) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    MessageBoxDialog dialog(nullptr, "text", mb::kOk);
    dialog.Place(BoxPlacement::At(area.right() - 5, area.bottom() - 5));
    EXPECT_LE(dialog.frameGeometry().right(), area.right());
    EXPECT_LE(dialog.frameGeometry().bottom(), area.bottom());
    dialog.Place(BoxPlacement::At(area.left() + 10, area.top() + 20));
    EXPECT_EQ(dialog.pos(), QPoint(area.left() + 10, area.top() + 20));
}

TEST(MessageBoxDialogTest, UnknownButtonSetReturnsZeroWithoutShowing) {
    WidgetMessageBox box;
    EXPECT_EQ(box.Show("x", 12, BoxPlacement::Centred()), kResultNone);
}

}  // namespace
}  // namespace tamberline
