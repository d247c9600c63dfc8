#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/drives.h"
#include "session/button_record.h"
#include "setup/graph_preview.h"
#include "setup/output_preview.h"
#include "setup/sample_list_model.h"
#include "setup/search_index.h"
#include "setup/setup_model.h"
#include "setup/setup_preview.h"
#include "setup/ui/setup_widgets.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;

namespace tamberline {

class ExternalEditor;
class FileCopier;
class FileMonitors;
class MessageBox;
class Registry;
class RunLog;
class SampleBrowser;

// What the setup dialogs work with in the running program.
struct SetupDialogServices {
    SetupDialogServices(Registry& registry, MessageBox& box, FileMonitors& monitors,
                        FileCopier& copier, std::vector<Drive> drives, const RecordArray& records)
        : registry(registry),
          box(box),
          monitors(monitors),
          copier(copier),
          drives(std::move(drives)),
          records(records) {}

    Registry& registry;
    MessageBox& box;
    FileMonitors& monitors;
    FileCopier& copier;
    std::vector<Drive> drives;
    const RecordArray& records;
    SetupOutputs outputs;
    RunLog* runLog = nullptr;
    ExternalEditor* editor = nullptr;
    const SearchIndex* search = nullptr;
    // The songlist editor on a songlist file (not in every build).
    std::function<void(const std::string& path)> editSonglist;
    // Renames output `tableIndex` ("" restores its default name); returns,
    // for each old output row, its row in the rebuilt list.
    std::function<std::vector<int>(int tableIndex, const std::string& name)> renameOutput;
    // Opens the help at a topic.
    std::function<void(const std::string& topic)> showHelp;
    // Colour choice and the list dialog; the real dialogs when empty.
    ColourChooser chooseColour;
    std::function<void(const SampleListContent&, std::function<SampleListContent()> action)>
        showList;
    std::string defaultFolder;
};

// "Setup Button %d": edits a working copy of one button's record.
class SetupButtonDialog final : public QDialog {
    Q_OBJECT
public:
    SetupButtonDialog(const SetupDialogServices& services, int button, const ButtonRecord& record,
                      QWidget* parent = nullptr);
    ~SetupButtonDialog() override;

    // The record on OK.
    const ButtonRecord& result() const { return result_; }
    SetupButtonModel& model() { return model_; }
    SetupPreview& preview() { return preview_; }

    // The controls, for tests.
    SampleBrowser& browser() { return *browser_; }
    QComboBox& outputs() { return *output_; }
    QComboBox& startGroup() { return *startGroup_; }
    QCheckBox& box(int index) { return *flagBoxes_[static_cast<size_t>(index)]; }
    QCheckBox& loopBox() { return *loop_; }
    QPlainTextEdit& caption() { return *caption_; }
    QComboBox& midiNote() { return *note_; }
    QComboBox& midiChannel() { return *channel_; }
    KeyCaptureEdit& keyBox() { return *key_; }
    QComboBox& gameTrigger() { return *game_; }
    QLineEdit& startTime() { return *startTime_; }
    QScrollBar& volume() { return *volume_; }
    QScrollBar& pan() { return *pan_; }
    QScrollBar& varispeed() { return *varispeed_; }
    QLabel& volumeText() { return *volumeText_; }
    QLabel& panText() { return *panText_; }
    QLabel& varispeedText() { return *varispeedText_; }
    QSpinBox& fadeIn() { return *fadeIn_; }
    QSpinBox& fadeOut() { return *fadeOut_; }
    QLineEdit& searchEdit() { return *search_; }
    QListWidget& digResults() { return *results_; }
    QPushButton& showDataButton() { return *showData_; }
    ColourSwatch& swatch() { return *swatch_; }
    QPushButton* button(const QString& name) const;

    void Dig();
    void Play();
    void StopPreview();
    void ClearRecord();
    void ChooseColour();
    void RenameOutput();
    void ShowData();
    void ShowTriggers();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void done(int result) override;

private:
    void BuildControls();
    QWidget* BuildTriggers();
    QWidget* BuildLevels();
    void FillOutputs();
    void Refresh(bool withCaption);
    void RefreshSwatch();
    void ChooseFile(const std::string& path);
    void FlagsChanged();
    void ScrollChanged(QScrollBar* bar, int value);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OpenList(const SampleListContent& content, std::function<SampleListContent()> action);
    SampleListContent SonglistContent(const std::string& path);
    void FadeTyped(bool fadeIn, int value);
    void EnterStartTime();
    void ShowDigResults(const std::vector<std::string>& paths);
    void HideDigResults();
    void OnTimer();
    PreviewSettings Settings() const;

    SetupDialogServices services_;
    MediaSampleProbe probe_;
    SetupButtonModel model_;
    OutputPreviewPlayer player_;
    SetupPreview preview_;
    ButtonRecord result_{};
    bool filling_ = false;
    int gameShown_ = 0;

    SampleBrowser* browser_ = nullptr;
    QComboBox* output_ = nullptr;
    QComboBox* startGroup_ = nullptr;
    std::vector<QCheckBox*> flagBoxes_;  // play while triggered, pause, buzzers, ALL, 1, 2, 3
    QCheckBox* loop_ = nullptr;
    QPlainTextEdit* caption_ = nullptr;
    ColourSwatch* swatch_ = nullptr;
    QComboBox* note_ = nullptr;
    QComboBox* channel_ = nullptr;
    KeyCaptureEdit* key_ = nullptr;
    QComboBox* game_ = nullptr;
    QLineEdit* startTime_ = nullptr;
    QScrollBar* volume_ = nullptr;
    QScrollBar* pan_ = nullptr;
    QScrollBar* varispeed_ = nullptr;
    QLabel* volumeText_ = nullptr;
    QLabel* panText_ = nullptr;
    QLabel* varispeedText_ = nullptr;
    QLabel* varispeedLabel_ = nullptr;
    QSpinBox* fadeIn_ = nullptr;
    QSpinBox* fadeOut_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* results_ = nullptr;
    QPushButton* showData_ = nullptr;
    QPushButton* stop_ = nullptr;
    std::vector<QWidget*> coveredByResults_;
    QTimer timer_;
    QElapsedTimer clock_;
    int swatchCountdown_ = 0;
};

}  // namespace tamberline
