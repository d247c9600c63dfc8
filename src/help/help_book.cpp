#include "help/help_book.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>

#include "help/help_location.h"
#include "help/help_topics.h"

namespace tamberline {

namespace {

// Far above any page written for the program; an odd file costs no more.
constexpr qint64 kMaxPageBytes = 1 << 20;
constexpr int kMaxPages = 500;

std::string ReadPage(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(kMaxPageBytes).toStdString();
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::vector<std::string> Words(std::string_view query) {
    std::vector<std::string> words;
    std::string word;
    for (char c : query) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty()) {
                words.push_back(Lowered(std::move(word)));
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(Lowered(std::move(word)));
    }
    return words;
}

int Occurrences(const std::string& text, const std::string& word) {
    int count = 0;
    for (size_t at = text.find(word); at != std::string::npos;
         at = text.find(word, at + word.size())) {
        ++count;
    }
    return count;
}

}  // namespace

HelpBook LoadHelpBook(const std::string& folder) {
    HelpBook book;
    book.contents = ReadLinkList(ReadPage(TopicFile(folder, help::kContentsFile)));
    book.index = ReadLinkList(ReadPage(TopicFile(folder, help::kIndexFile)));
    const QStringList names = QDir(QString::fromStdString(folder))
                                  .entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
    for (const QString& name : names.mid(0, kMaxPages)) {
        const std::string html = ReadPage(TopicFile(folder, name.toStdString()));
        book.pages.push_back({name.toStdString(), PageTitle(html), Lowered(PlainText(html))});
    }
    return book;
}

std::vector<SearchHit> SearchPages(const std::vector<HelpPageText>& pages, std::string_view query) {
    const std::vector<std::string> words = Words(query);
    std::vector<SearchHit> hits;
    if (words.empty()) {
        return hits;
    }
    for (const HelpPageText& page : pages) {
        int total = 0;
        for (const std::string& word : words) {
            const int count = Occurrences(page.lowered, word);
            if (count == 0) {
                total = 0;
                break;
            }
            total += count;
        }
        if (total > 0) {
            hits.push_back({page.topic, page.title, total});
        }
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const SearchHit& a, const SearchHit& b) { return a.count > b.count; });
    return hits;
}

}  // namespace tamberline
