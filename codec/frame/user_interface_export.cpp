#include "kodra32.h"
#include "platform/platform.h"

extern "C" KODRA_API void KODRA_CALL SetUserInterface(const KodraUserInterface* userInterface) {
    kodra::platform::installUserInterface(userInterface);
}
