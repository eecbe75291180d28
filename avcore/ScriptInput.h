#pragma once

#include <functional>
#include <string>

namespace avcore {

// Scripts ending in .avs stand for the file they open with
// DirectShowSource("..."); avcore converts that file instead.
bool IsScriptName(const std::string& name);

bool FileExists(const std::string& path);

// The media file a script's text names, resolved against the script's folder;
// empty when the text names none. Where the quoting leaves the end of the name
// open, the reading that exists decides.
std::string ScriptSource(const std::string& scriptText, const std::string& scriptPath,
                         const std::function<bool(const std::string&)>& exists = FileExists);

}  // namespace avcore
