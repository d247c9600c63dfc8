#include "help/help_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "help/help_topics.h"
#include "session/registry.h"

namespace tamberline {

namespace {

constexpr const char* kDataSubfolder = "tamberline/help";

bool IsFile(const std::string& path) {
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

}  // namespace

std::vector<std::string> InstalledHelpFolders() {
    std::vector<std::string> folders;
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() +
                               QStringLiteral("/../share/") + QLatin1String(kDataSubfolder);
        folders.push_back(QDir::cleanPath(beside).toStdString());
    }
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        folders.push_back(
            QDir::cleanPath(data + QLatin1Char('/') + QLatin1String(kDataSubfolder)).toStdString());
    }
    return folders;
}

std::string HelpFolder(const Registry& registry, const std::vector<std::string>& installed) {
    std::string stored;
    if (registry.GetString(settings::kHelpFile, stored)) {
        return stored;
    }
    for (const std::string& folder : installed) {
        if (IsFile(TopicFile(folder, help::kHomePage))) {
            return folder;
        }
    }
    return {};
}

std::string TopicFile(const std::string& folder, std::string_view topic) {
    const std::string_view name = topic.substr(0, topic.find('#'));
    if (folder.empty() || name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string_view::npos) {
        return {};
    }
    return folder + '/' + std::string(name);
}

bool HelpPagesPresent(const std::string& folder, std::string_view topic) {
    return IsFile(TopicFile(folder, help::kHomePage)) &&
           IsFile(TopicFile(folder, help::kContentsFile)) &&
           IsFile(TopicFile(folder, help::kIndexFile)) && IsFile(TopicFile(folder, topic));
}

}  // namespace tamberline
