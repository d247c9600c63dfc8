#include "files/ui/folder_file_list.h"

#include <QCoreApplication>
#include <QListWidget>

#include "files/file_monitors.h"
#include "files/folder_listing.h"
#include "files/path_text.h"

namespace tamberline {

namespace {
constexpr int kNameRole = Qt::UserRole;
}  // namespace

void ListFolderInto(QListWidget& list, FileMonitors& monitors, const std::string& folder,
                    const std::string& pattern, bool& listing) {
    if (listing) {
        return;
    }
    monitors.StopFolderMonitor();
    list.clear();
    if (folder.empty()) {
        return;
    }
    listing = true;
    const FolderScan scan = ListFolderFiles(folder, pattern, ListOrder::kNatural, [](int) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    for (const std::string& name : scan.names) {
        auto* item = new QListWidgetItem(FromBytes(name));
        item->setData(kNameRole, QByteArray::fromStdString(name));
        list.addItem(item);
    }
    listing = false;
    monitors.StartFolderMonitor(folder);
}

std::string ListedName(const QListWidgetItem& item) {
    return item.data(kNameRole).toByteArray().toStdString();
}

}  // namespace tamberline
