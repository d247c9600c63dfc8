#pragma once

#include <string>
#include <vector>

#include "app/record_edit.h"

namespace tamberline {

// Where a dropped path lies.
class PathKinds {
public:
    virtual ~PathKinds() = default;
    virtual bool IsNetworkPath(const std::string& path) const;
    virtual bool IsOnCdDrive(const std::string& path) const;
};

// The track number of a CD track file ("Track07.cda" gives 7): the two
// digits six characters before the end of its name; -1 when they are not
// digits.
int CdTrackOf(const std::string& path);

// Files dropped on the grid from the desktop: sessions are opened, CD
// tracks go to the ripper, network files are refused, and any other files
// are assigned to the buttons from the one under the drop point on.
class FileDrop {
public:
    FileDrop(const EditContext& context, const PathKinds& kinds)
        : context_(context), kinds_(kinds) {}

    // `button`: the button under the drop point, -1 outside the grid.
    void Drop(const std::vector<std::string>& paths, int button);

private:
    void Assign(const std::vector<std::string>& paths, int first);
    // False when the file cannot go on the button.
    bool AssignOne(RecordEdit& edit, int button, const std::string& path);

    const EditContext& context_;
    const PathKinds& kinds_;
};

}  // namespace tamberline
