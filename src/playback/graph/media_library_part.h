#pragma once

#include "base/console_part.h"

namespace tamberline {

class MessageBox;

// The media framework under every media graph: initialised first at
// start-up, and checked for the elements a graph is built from. Without
// either the program cannot play and ends with its message.
class MediaLibraryPart final : public ConsolePart {
public:
    explicit MediaLibraryPart(MessageBox& box) : box_(box) {}

    bool Start(StartStep step) override;

private:
    MessageBox& box_;
};

}  // namespace tamberline
