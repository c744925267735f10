// The front ends where there is no window: the console, always.
#include "FrontEnds.h"

bool WantsConsole(const std::vector<std::string>& /*args*/) {
    return true;
}

void EnsureConsole() {}

std::optional<int> RunWindowUpdate(const ConsoleOptions& /*options*/) {
    return std::nullopt;
}
