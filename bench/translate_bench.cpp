// The T-SQL translation of the translator corpus (fuzz/corpus/translator) and of the contact
// list's statement, on both backends: the cost per statement.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/dialect.h"
#include "platform/error.h"

namespace {

std::vector<std::string> Corpus() {
    std::vector<std::string> texts;
    for (const auto& entry : std::filesystem::directory_iterator(SOVREL_TRANSLATOR_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        texts.push_back(s.str());
    }
    texts.push_back(
        "SELECT Ven_Contact.cContactCode as ID,Ven_Contact.cContactCode,Ven_Contact.cContactName,vendor.cVenName,"
        "Contact1.cContactName as cSuperiorName,BaseCodeDuty.cName as DutyName,Person3.cPersonName as cprincipalname,"
        "Ven_Contact.bMajor,Ven_Contact.dBirthday FROM Ven_Contact Left join vendor on vendor.cVenCode=Ven_Contact.cVenCode"
        " Left join Ven_Contact Contact1 on Contact1.cContactCode=Ven_Contact.cSuperiorID"
        " Left join Crm_BaseCode BaseCodeDuty on BaseCodeDuty.ID=Ven_Contact.bcDutyID"
        " Left join Person Person3 on Person3.cPersonCode=Ven_Contact.cprincipal WHERE (1=1) and "
        "Ven_Contact.cVenCode = N'V01' AND Ven_Contact.cContactName like N'%张%' ORDER BY cContactCode");
    return texts;
}

// accepted: only the texts the dialect translates (a refusal costs mostly its exception).
void Translate(benchmark::State& state, const platform::db::Dialect& dialect, bool accepted) {
    auto texts = Corpus();
    if (accepted)
        texts.erase(std::remove_if(texts.begin(), texts.end(),
                                   [&](const std::string& t) {
                                       try {
                                           dialect.Translate(t);
                                           return false;
                                       } catch (const platform::Error&) {
                                           return true;
                                       }
                                   }),
                    texts.end());
    std::size_t refused = 0;
    for (auto _ : state) {
        for (const auto& t : texts) {
            try {
                benchmark::DoNotOptimize(dialect.Translate(t));
            } catch (const platform::Error&) {
                ++refused;
            }
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * texts.size()));
    state.counters["statements"] = static_cast<double>(texts.size());
    benchmark::DoNotOptimize(refused);
}

void BM_TranslateSqlite(benchmark::State& state) { Translate(state, platform::db::SqliteDialect(), false); }
void BM_TranslatePostgres(benchmark::State& state) { Translate(state, platform::db::PostgresDialect(), false); }
void BM_TranslateSqliteAccepted(benchmark::State& state) { Translate(state, platform::db::SqliteDialect(), true); }
void BM_TranslatePostgresAccepted(benchmark::State& state) { Translate(state, platform::db::PostgresDialect(), true); }
BENCHMARK(BM_TranslateSqlite);
BENCHMARK(BM_TranslatePostgres);
BENCHMARK(BM_TranslateSqliteAccepted);
BENCHMARK(BM_TranslatePostgresAccepted);

}  // namespace

BENCHMARK_MAIN();
