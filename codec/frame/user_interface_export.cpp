#include "kodra32.h"
#include "frame/context.h"

extern "C" KODRA_API void KODRA_CALL SetUserInterface(const KodraUserInterface* userInterface) {
    kodra::defaultContext().ui.install(userInterface);
}
