#include "output/cups_spooler.h"

#include <cups/cups.h>

namespace suantiji {

namespace {

std::string destinationName(const cups_dest_t& dest) {
    std::string name = dest.name ? dest.name : "";
    if (dest.instance) name += std::string("/") + dest.instance;
    return name;
}

// Owns the array cupsGetDests2 hands out.
class Destinations {
public:
    Destinations() : m_count(cupsGetDests2(CUPS_HTTP_DEFAULT, &m_dests)) {}
    ~Destinations() { cupsFreeDests(m_count, m_dests); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    int count() const { return m_dests ? m_count : 0; }
    cups_dest_t* data() const { return m_dests; }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
};

}  // namespace

std::vector<std::string> CupsSpooler::ListPrinters() {
    const Destinations dests;
    std::vector<std::string> names;
    for (int i = 0; i < dests.count(); ++i) {
        // Instances are saved option sets of a queue, not printers of their own.
        if (dests.data()[i].instance == nullptr) names.push_back(destinationName(dests.data()[i]));
    }
    return names;
}

std::string CupsSpooler::DefaultPrinterName() {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest == nullptr) return {};
    std::string name = destinationName(*dest);
    cupsFreeDests(1, dest);
    return name;
}

bool CupsSpooler::ChangeDefaultPrinter(const std::string& name) {
    if (name.empty()) return false;
    const std::size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance = slash == std::string::npos ? "" : name.substr(slash + 1);

    const Destinations dests;
    cups_dest_t* chosen = cupsGetDest(queue.c_str(), instance.empty() ? nullptr : instance.c_str(),
                                      dests.count(), dests.data());
    if (chosen == nullptr) return false;
    for (int i = 0; i < dests.count(); ++i) dests.data()[i].is_default = 0;
    chosen->is_default = 1;
    return cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.data()) == 0;
}

}  // namespace suantiji
