#include "cleaning/IEHistory.h"

#include "system/RegStuff.h"
#include "system/Registry1.h"

#include <windows.h>

namespace IEHistory {

void DeleteIETypedURLs(StatusLine& status) {
    for (int i = 1; i <= 100; ++i) {
        const std::string name = "url" + std::to_string(i);
        const std::string value = Registry1::ReadRegString(HKEY_CURRENT_USER, TypedUrlsKey, name, "");
        if (!value.empty()) status.SetStatus(value + "-->");
        if (RegStuff::DeleteRegValue(HKEY_CURRENT_USER, TypedUrlsKey, name, status.Previewing()))
            status.Deleted(TraceKind::RegistryValue, 1);
    }
}

}  // namespace IEHistory
