#pragma once

#include <string>

namespace avcore {

// Scripts ending in .avs stand for the file they open with
// DirectShowSource("..."); avcore converts that file instead.
bool IsScriptName(const std::string& name);

// The media file a script's text names, resolved against the script's folder;
// empty when the text names none.
std::string ScriptSource(const std::string& scriptText, const std::string& scriptPath);

}  // namespace avcore
