#pragma once

#include <string>

class QWidget;

namespace tamberline {

class MessageBox;
class Registry;

// The "CD Burner." dialog, modal; burning runs on a worker.
void RunCdBurner(MessageBox& box, Registry& registry, QWidget* parent);
// The "CD Ripper." dialog, modal; ripping runs on a worker.
void RunCdRipper(MessageBox& box, Registry& registry, QWidget* parent);

// Where the burner keeps "Burnlist.abl" and the image recorder its image.
std::string BurnListPath();
std::string DiscImagePath();

}  // namespace tamberline
