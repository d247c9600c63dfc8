#pragma once

#include <QFont>

namespace tamberline {

class Registry;

// The fonts of the console window. The desktop's sans-serif face stands in
// for the fonts the grid was designed with; sizes are in pixels.
struct GridFonts {
    QFont status;   // status fields
    QFont time;     // time fields, the hint box and the header message
    QFont caption;  // button captions
    QFont menu;     // menus and the title
};

QFont StatusFont();
QFont TimeFont();

// The fonts as stored: "BtnFont" for captions (else the time font) and
// "MenuFont" for the menus (else the application's menu font).
GridFonts LoadGridFonts(const Registry& registry);

// Replaces a stored font; false when it equals the one in use (height,
// weight, italic and face), so nothing needs to change.
bool StoreButtonFont(Registry& registry, GridFonts& fonts, const QFont& chosen);
bool StoreMenuFont(Registry& registry, GridFonts& fonts, const QFont& chosen);

}  // namespace tamberline
