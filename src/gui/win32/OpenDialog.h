#pragma once
// The file-open dialog of the exchange document: title "Seleccione Archivo XML obtenido de
// RACIMA", one filter "*.xml", default extension "xml".

#include <windows.h>

#include <filesystem>
#include <optional>

namespace velmaro {

// Shows the dialog over `owner`, starting at `current` when there is one; the confirmed path,
// or nothing when the user cancels.
std::optional<std::filesystem::path> PickXmlFile(HWND owner, const std::filesystem::path& current);

}  // namespace velmaro
