#include "setup/ui/setup_widgets.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "session/registry.h"
#include "session/settings.h"
#include "triggers/key_triggers.h"

namespace tamberline {

KeyCaptureEdit::KeyCaptureEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
}

bool KeyCaptureEdit::event(QEvent* event) {
    // F10 and the keys a dialog keeps for itself are taken here first.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void KeyCaptureEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit EscapePressed();
        return;
    }
    const int code = VirtualKeyOf({event->key(), event->modifiers(), event->nativeScanCode()});
    const std::string name = KeyName(code);
    setText(QString::fromStdString(name));
    emit KeyCaptured(name.empty() ? 0 : code);
}

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(40);
}

void ColourSwatch::Show(uint32_t colour, bool playing, const QString& time) {
    if (colour == colour_ && playing == playing_ && time == text_) {
        return;
    }
    colour_ = colour;
    playing_ = playing;
    text_ = time;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), playing_ ? QColor(Qt::red) : FromColourRef(colour_));
    painter.setPen(playing_ ? Qt::white : Qt::black);
    QFont font = painter.font();
    font.setPixelSize(std::max(height() / 2, 10));
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

void ColourSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit ColourRequested();
    }
}

std::optional<uint32_t> ChooseColourWithDialog(QWidget* parent, uint32_t initial,
                                               std::array<uint32_t, 16>& custom) {
    for (int i = 0; i < 16; ++i) {
        QColorDialog::setCustomColor(i, FromColourRef(custom[static_cast<size_t>(i)]));
    }
    const QColor chosen =
        QColorDialog::getColor(FromColourRef(initial), parent, QStringLiteral("Colour"));
    for (int i = 0; i < 16; ++i) {
        custom[static_cast<size_t>(i)] = ToColourRef(QColorDialog::customColor(i));
    }
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return ToColourRef(chosen);
}

std::array<uint32_t, 16> LoadCustomColours(const Registry& registry) {
    std::array<uint32_t, 16> custom{};
    for (int i = 0; i < 16; ++i) {
        custom[static_cast<size_t>(i)] = registry.Dword(settings::CustomColour(i)) & 0xFFFFFF;
    }
    return custom;
}

void StoreCustomColours(Registry& registry, const std::array<uint32_t, 16>& custom) {
    for (int i = 0; i < 16; ++i) {
        registry.SetDword(settings::CustomColour(i), custom[static_cast<size_t>(i)]);
    }
}

RenameOutputDialog::RenameOutputDialog(const std::string& deviceName,
                                       const std::string& displayName, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Rename Output Path."));
    auto* layout = new QFormLayout(this);
    auto* device = new QLabel(QFile::decodeName(QByteArray::fromStdString(deviceName)), this);
    device->setObjectName(QStringLiteral("deviceName"));
    layout->addRow(device);
    edit_->setText(QString::fromStdString(displayName));
    edit_->setMaxLength(255);
    layout->addRow(edit_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

std::string RenameOutputDialog::name() const {
    return edit_->text().trimmed().toStdString();
}

}  // namespace tamberline
