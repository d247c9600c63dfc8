#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "base/file_dialog.h"

namespace tamberline::testing {

// Answers the file dialog from a script and keeps every request. A dialog
// nobody scripted fails the test.
class ScriptedFileDialog final : public FileDialog {
public:
    void Choose(const std::string& folder, const std::string& name,
                bool preserveFolderStructure = false) {
        results_.push_back({true, folder, name, preserveFolderStructure});
    }
    void Cancel() { results_.push_back({}); }
    FileDialogResult Run(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (results_.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << request.title;
            return {};
        }
        FileDialogResult result = results_.front();
        results_.pop_front();
        return result;
    }
    std::vector<FileDialogRequest> requests;

private:
    std::deque<FileDialogResult> results_;
};

}  // namespace tamberline::testing
