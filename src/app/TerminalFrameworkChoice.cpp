#include "app/Error.h"
#include "app/TerminalInteraction.h"

namespace velmaro {

FrameworkSelection TerminalInteraction::ChooseFrameworks(const std::filesystem::path&) {
    throw Error("La elección de marcos horarios aún no está disponible en velmaro-cli");
}

}  // namespace velmaro
