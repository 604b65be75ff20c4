// acquire/dsm/sane_dsm.cpp
// A TWAIN data source manager for Linux that offers every device SANE
// finds as a source. Loaded by TWAIN applications like any manager.
#include "acquire/dsm/dsm_core.h"
#include "acquire/dsm/sane_source.h"

#include <set>

namespace {

DsmCore &core();

std::vector<std::unique_ptr<DsmSource>> findDevices()
{
    std::vector<std::unique_ptr<DsmSource>> sources;
    auto session = std::make_shared<SaneSession>();
    const SANE_Device **devices = nullptr;
    if (!session->ok() || sane_get_devices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || !devices)
        return sources;
    std::set<std::string> names;
    for (int i = 0; devices[i] && sources.size() < 49; ++i) {
        const SANE_Device &d = *devices[i];
        std::string name = std::string(d.vendor ? d.vendor : "") + " " + (d.model ? d.model : "");
        if (!names.insert(name.substr(0, 33)).second)
            name += std::string(" ") + d.name;
        names.insert(name.substr(0, 33));
        sources.push_back(std::make_unique<SaneSource>(session, d.name, name.substr(0, 33),
                                                       [](TW_UINT16 m) { return core().TryAnnounce(m); }));
    }
    return sources;
}

DsmCore &core()
{
    static DsmCore instance(&findDevices);
    return instance;
}

} // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY *origin,
                                                                      TW_IDENTITY *destination,
                                                                      TW_UINT32 group, TW_UINT16 dat,
                                                                      TW_UINT16 message, TW_MEMREF data)
{
    return core().Entry(origin, destination, group, dat, message, data);
}
