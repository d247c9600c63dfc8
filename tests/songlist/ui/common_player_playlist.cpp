#include "common_player_playlist.h"

#ifdef TAMBERLINE_HAVE_TOTEM_PL
#include <totem-pl-parser.h>
#endif

namespace tamberline::testing {

#ifdef TAMBERLINE_HAVE_TOTEM_PL
namespace {

void OnEntry(TotemPlParser*, const char* uri, GHashTable*, gpointer data) {
    auto* entries = static_cast<std::vector<std::string>*>(data);
    gchar* file = g_filename_from_uri(uri, nullptr, nullptr);
    entries->push_back(file != nullptr ? file : uri);
    g_free(file);
}

}  // namespace

std::optional<std::vector<std::string>> CommonPlayerEntries(const std::string& playlistPath) {
    std::vector<std::string> entries;
    TotemPlParser* parser = totem_pl_parser_new();
    g_signal_connect(parser, "entry-parsed", G_CALLBACK(OnEntry), &entries);
    gchar* uri = g_filename_to_uri(playlistPath.c_str(), nullptr, nullptr);
    const TotemPlParserResult result = totem_pl_parser_parse(parser, uri, FALSE);
    g_free(uri);
    g_object_unref(parser);
    if (result != TOTEM_PL_PARSER_RESULT_SUCCESS) {
        return std::nullopt;
    }
    return entries;
}
#else
std::optional<std::vector<std::string>> CommonPlayerEntries(const std::string&) {
    return std::nullopt;
}
#endif

}  // namespace tamberline::testing
