#include "gui/win32/OpenDialog.h"

#include <commdlg.h>

#include <string>

namespace velmaro {

std::optional<std::filesystem::path> PickXmlFile(HWND owner, const std::filesystem::path& current) {
    // Room for a long path; the dialog writes the chosen one over the starting one.
    std::wstring file(32768, L'\0');
    file.replace(0, current.native().size(), current.native());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"*.xml\0*.xml\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = L"Seleccione Archivo XML obtenido de RACIMA";
    dialog.lpstrDefExt = L"xml";
    // A name that is not there is confirmed as typed: the job says "No existe archivo".
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_LONGNAMES;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    file.resize(file.find(L'\0'));
    return std::filesystem::path(file);
}

}  // namespace velmaro
