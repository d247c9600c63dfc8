#include "app/ui/grid_fonts.h"

#include <QApplication>
#include <QByteArray>

#include "session/registry.h"

namespace tamberline {

namespace {

QFont SansSerif(int pixelSize, QFont::Weight weight) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

bool SameFont(const QFont& a, const QFont& b) {
    return a.pixelSize() == b.pixelSize() && a.pointSizeF() == b.pointSizeF() &&
           a.weight() == b.weight() && a.italic() == b.italic() && a.family() == b.family();
}

bool Load(const Registry& registry, const BinarySetting& name, QFont& font) {
    QByteArray stored;
    if (!registry.GetBinary(name, stored) || stored.isEmpty()) {
        return false;
    }
    QFont loaded;
    if (!loaded.fromString(QString::fromUtf8(stored))) {
        return false;
    }
    font = loaded;
    return true;
}

bool Store(Registry& registry, const BinarySetting& name, QFont& current, const QFont& chosen) {
    if (SameFont(current, chosen)) {
        return false;
    }
    current = chosen;
    registry.SetBinary(name, chosen.toString().toUtf8());
    return true;
}

}  // namespace

QFont StatusFont() {
    return SansSerif(11, QFont::Normal);
}

QFont TimeFont() {
    return SansSerif(13, QFont::Bold);
}

GridFonts LoadGridFonts(const Registry& registry) {
    GridFonts fonts{StatusFont(), TimeFont(), TimeFont(), QApplication::font("QMenu")};
    Load(registry, settings::kButtonFont, fonts.caption);
    Load(registry, settings::kMenuFont, fonts.menu);
    return fonts;
}

bool StoreButtonFont(Registry& registry, GridFonts& fonts, const QFont& chosen) {
    return Store(registry, settings::kButtonFont, fonts.caption, chosen);
}

bool StoreMenuFont(Registry& registry, GridFonts& fonts, const QFont& chosen) {
    return Store(registry, settings::kMenuFont, fonts.menu, chosen);
}

}  // namespace tamberline
