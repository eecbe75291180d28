#include "ScriptInput.h"

#include <algorithm>
#include <cctype>

#include <sys/stat.h>

namespace avcore {
namespace {

bool EqualsNoCase(const std::string& text, size_t at, std::string_view word)
{
    if (at + word.size() > text.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    return true;
}

size_t SkipBlanks(const std::string& text, size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at;
}

std::string Resolved(const std::string& name, const std::string& scriptPath)
{
    if (name.empty() || name.front() == '/') return name;
    const size_t slash = scriptPath.find_last_of('/');
    return slash == std::string::npos ? name : scriptPath.substr(0, slash + 1) + name;
}

}  // namespace

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsScriptName(const std::string& name)
{
    return name.size() > 4 && EqualsNoCase(name, name.size() - 4, ".avs");
}

std::string ScriptSource(const std::string& text, const std::string& scriptPath,
                         const std::function<bool(const std::string&)>& exists)
{
    static constexpr std::string_view kFunction = "directshowsource";
    for (size_t at = 0; at < text.size(); ++at) {
        if (!EqualsNoCase(text, at, kFunction)) continue;
        size_t pos = SkipBlanks(text, at + kFunction.size());
        if (pos >= text.size() || text[pos] != '(') continue;
        pos = SkipBlanks(text, pos + 1);
        std::string name;
        if (text.compare(pos, 3, "\"\"\"") == 0) {
            // Triple quotes let a name hold double quotes.
            const size_t close = text.find("\"\"\"", pos + 3);
            if (close == std::string::npos) continue;
            name = text.substr(pos + 3, close - pos - 3);
        } else if (pos < text.size() && text[pos] == '"') {
            // The name ends at a quote that closes the argument. The name itself
            // may hold a quote before a comma or parenthesis, so the first such
            // end that names an existing file wins, else the first one.
            std::string first;
            for (size_t q = text.find('"', pos + 1); q != std::string::npos;
                 q = text.find('"', q + 1)) {
                const size_t next = SkipBlanks(text, q + 1);
                if (next >= text.size() || (text[next] != ',' && text[next] != ')')) continue;
                const std::string candidate =
                    Resolved(text.substr(pos + 1, q - pos - 1), scriptPath);
                if (candidate.empty()) continue;
                if (first.empty()) first = candidate;
                if (exists(candidate)) return candidate;
            }
            if (!first.empty()) return first;
            continue;
        } else {
            continue;
        }
        if (!name.empty()) return Resolved(name, scriptPath);
    }
    return {};
}

}  // namespace avcore
