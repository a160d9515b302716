// Generates a large demo account and reports how long it took and how big it is. Run by hand:
//   schema_large_demo [contacts] [folder]     (default 100000 contacts in a temporary folder)
// It checks the counts, so a broken generator still fails, but it asserts no time.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/error.h"
#include "schema/demo.h"
#include "support.h"

int main(int argc, char** argv) {
    const long contacts = argc > 1 ? std::atol(argv[1]) : 100000;
    schema::test::TempFolder temp;
    const std::string folder = argc > 2 ? argv[2] : temp.Sub("large");
    try {
        const auto start = std::chrono::steady_clock::now();
        const auto summary = schema::CreateDemoAccount(folder, {.contacts = contacts, .vendors = 0, .seed = 1});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto bytes = std::filesystem::file_size(folder + "/" + std::string(schema::kDemoAccountDatabase) + ".db");
        auto db = schema::test::Open(folder);
        const auto stored = schema::test::Scalar(*db, "SELECT count(*) FROM Ven_Contact").ToInt();
        std::printf("%ld contacts, %ld vendors, %ld purchase orders in %.2f s; %s.db %.1f MB; %lld contacts stored\n",
                    summary.contacts, summary.vendors, summary.purchaseOrders, seconds,
                    std::string(schema::kDemoAccountDatabase).c_str(), bytes / (1024.0 * 1024.0),
                    static_cast<long long>(stored));
        return stored == contacts ? 0 : 1;
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
}
