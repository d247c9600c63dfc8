#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "setup/block_assign_model.h"
#include "setup/ui/setup_button_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;

namespace tamberline {

// "Block assign.": sets the ticked properties of every button of a block.
class BlockAssignDialog final : public QDialog {
    Q_OBJECT
public:
    BlockAssignDialog(const SetupDialogServices& services, std::vector<ButtonRecord> records,
                      QWidget* parent = nullptr);

    BlockAssignModel& model() { return model_; }
    // Which slots received a new file on OK.
    const std::vector<bool>& newFiles() const { return newFiles_; }

    // The controls, for tests.
    QCheckBox& setBox(uint32_t bit) { return *setBoxes_[BitIndex(bit)]; }
    SampleBrowser& browser() { return *browser_; }
    QComboBox& startKey() { return *key_; }
    QComboBox& startNote() { return *note_; }
    QComboBox& channel() { return *channel_; }
    QComboBox& startGame() { return *game_; }
    QComboBox& outputs() { return *output_; }
    QScrollBar& volume() { return *volume_; }
    QScrollBar& pan() { return *pan_; }
    QScrollBar& varispeed() { return *varispeed_; }
    QLabel& panText() { return *panText_; }
    QSpinBox& fadeIn() { return *fadeIn_; }
    QPushButton* button(const QString& name) const;

    void Accept();
    // The help at the block assign page (also F1).
    void ShowHelp();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    static size_t BitIndex(uint32_t bit);
    void BuildControls();
    void ShowValues(const BlockValues& values);
    BlockValues Values() const;
    void ShowTicked();
    void RefreshTexts(bool scrolling);
    void Dig();

    SetupDialogServices services_;
    BlockAssignModel model_;
    std::vector<bool> newFiles_;
    std::array<QCheckBox*, block::kBoxCount> setBoxes_{};
    // The controls each box shows or hides.
    std::array<std::vector<QWidget*>, block::kBoxCount> groups_{};
    SampleBrowser* browser_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* output_ = nullptr;
    std::array<QCheckBox*, 8> flags_{};  // 167..174
    QComboBox* channel_ = nullptr;
    QComboBox* note_ = nullptr;
    QComboBox* key_ = nullptr;
    QComboBox* game_ = nullptr;
    QComboBox* startGroup_ = nullptr;
    ColourSwatch* swatch_ = nullptr;
    QScrollBar* volume_ = nullptr;
    QScrollBar* pan_ = nullptr;
    QScrollBar* varispeed_ = nullptr;
    QLabel* volumeText_ = nullptr;
    QLabel* panText_ = nullptr;
    QLabel* varispeedText_ = nullptr;
    QSpinBox* fadeIn_ = nullptr;
    QSpinBox* fadeOut_ = nullptr;
};

}  // namespace tamberline
