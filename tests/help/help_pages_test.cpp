// The pages shipped with the program: every topic the program opens is
// there, and every link, picture and anchor of every page resolves.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <set>

#include "help/help_book.h"
#include "help/help_location.h"
#include "help/help_topics.h"

namespace tamberline {
namespace {

const std::string kPages = HELP_PAGES_DIR;

std::string Read(const std::string& name) {
    QFile file(QString::fromStdString(kPages + "/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

std::vector<std::string> HtmlFiles() {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(kPages))
             .entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files)) {
        names.push_back(name.toStdString());
    }
    return names;
}

bool IsExternal(const std::string& link) {
    return link.rfind("http:", 0) == 0 || link.rfind("https:", 0) == 0 ||
           link.rfind("mailto:", 0) == 0;
}

// "" when the link resolves, else what is wrong with it.
std::string Problem(const std::string& from, const std::string& link) {
    const size_t hash = link.find('#');
    const std::string file = hash == 0 ? from : link.substr(0, hash);
    if (!QFile::exists(QString::fromStdString(TopicFile(kPages, file)))) {
        return "missing file " + file;
    }
    if (hash != std::string::npos) {
        const std::vector<std::string> anchors = PageAnchors(Read(file));
        if (std::find(anchors.begin(), anchors.end(), link.substr(hash + 1)) == anchors.end()) {
            return "missing anchor " + link;
        }
    }
    return {};
}

TEST(HelpPages, EveryTopicTheProgramOpensIsPresent) {
    for (std::string_view topic : help::kAllTopics) {
        EXPECT_TRUE(HelpPagesPresent(kPages, topic)) << topic;
    }
}

TEST(HelpPages, EveryLinkPictureAndAnchorResolves) {
    const std::vector<std::string> files = HtmlFiles();
    ASSERT_GE(files.size(), help::kAllTopics.size() + 2);
    for (const std::string& file : files) {
        for (const std::string& link : PageLinks(Read(file))) {
            if (!IsExternal(link)) {
                EXPECT_EQ(Problem(file, link), "") << "in " << file;
            }
        }
    }
}

TEST(HelpPages, ContentsReachEveryPageAndEveryPageHasATitle) {
    const HelpBook book = LoadHelpBook(kPages);
    std::set<std::string> listed;
    for (const HelpLink& link : book.contents) {
        EXPECT_FALSE(link.title.empty()) << link.target;
        EXPECT_GE(link.depth, 1) << link.target;
        listed.insert(link.target.substr(0, link.target.find('#')));
    }
    for (const HelpPageText& page : book.pages) {
        EXPECT_FALSE(page.title.empty()) << page.topic;
        EXPECT_TRUE(listed.count(page.topic)) << page.topic << " is not in the contents";
    }
    ASSERT_FALSE(book.index.empty());
    for (const HelpLink& link : book.index) {
        EXPECT_EQ(Problem(std::string(help::kIndexFile), link.target), "") << link.title;
    }
}

TEST(HelpPages, SearchFindsADialogByWhatItDoes) {
    const HelpBook book = LoadHelpBook(kPages);
    const std::vector<SearchHit> hits = SearchPages(book.pages, "address register");
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits.front().topic, "pbus.htm");
}

}  // namespace
}  // namespace tamberline
