#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QLabel;

namespace tamberline {

class Registry;

inline QColor FromColourRef(uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}
inline uint32_t ToColourRef(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
}

// The "Keyboard trigger" box: while it has the focus every key press is
// the trigger, F10 included; Esc is never one.
class KeyCaptureEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyCaptureEdit(QWidget* parent = nullptr);

signals:
    void KeyCaptured(int code);
    void EscapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
};

// The colour swatch: the button's colour, or white on red with the
// remaining time while the preview plays. A right click asks for a colour.
class ColourSwatch final : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr);
    void Show(uint32_t colour, bool playing, const QString& time);
    const QString& text() const { return text_; }
    bool playing() const { return playing_; }

signals:
    void ColourRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    uint32_t colour_ = 0xC0C0C0;
    bool playing_ = false;
    QString text_;
};

// Asks for a colour starting at `initial`, with the sixteen custom colours
// (changed in place); nothing when cancelled.
using ColourChooser =
    std::function<std::optional<uint32_t>(uint32_t initial, std::array<uint32_t, 16>& custom)>;
std::optional<uint32_t> ChooseColourWithDialog(QWidget* parent, uint32_t initial,
                                               std::array<uint32_t, 16>& custom);
// The custom colours ("CustColour%d") as stored, and storing them back.
std::array<uint32_t, 16> LoadCustomColours(const Registry& registry);
void StoreCustomColours(Registry& registry, const std::array<uint32_t, 16>& custom);

// "Rename Output Path.": the device name and an edit with the display name.
class RenameOutputDialog final : public QDialog {
    Q_OBJECT
public:
    RenameOutputDialog(const std::string& deviceName, const std::string& displayName,
                       QWidget* parent = nullptr);
    std::string name() const;
    QLineEdit& edit() { return *edit_; }

private:
    QLineEdit* edit_;
};

}  // namespace tamberline
