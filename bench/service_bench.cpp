// The data service: Add through the service (record XML, user-defined check, duplicate check)
// next to the same inserts straight through the data layer; UTLCase on large texts; OpenPage of
// the first and the last page of a 100,000-contact list.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "schema/demo.h"
#include "service/clscommon.h"

namespace {

namespace fs = std::filesystem;

std::string FreshAccount(const std::string& name) {
    std::string dir = (fs::temp_directory_path() / ("sovrel-bench-" + name)).string();
    fs::remove_all(dir);
    return schema::CreateFixedAccount(dir).connectionText;
}

std::string ContactXml(long n) {
    std::string code = "V03" + std::string(8 - std::to_string(n).size(), '0') + std::to_string(n);
    return "<Ven_Contact><cVenCode>V03</cVenCode><cContactCode>" + code + "</cContactCode><cContactName>联系人" +
           std::to_string(n) + "</cContactName><cAppellation>先生</cAppellation><cSuperiorID></cSuperiorID>"
           "<cNative>浙江杭州</cNative><bcDutyID>4</bcDutyID><bcTasteID>11</bcTasteID><cPrincipal>0002</cPrincipal>"
           "<cCreator>demo</cCreator><cOfficePhone>0571-88880000</cOfficePhone><cMobilePhone>139" +
           std::to_string(10000000 + n) + "</cMobilePhone><cEmail>c" + std::to_string(n) +
           "@example.cn</cEmail><cMemo>备注 &amp; 说明</cMemo><bcSexID>1</bcSexID><bcMarriageID>17</bcMarriageID>"
           "<bMajor>False</bMajor><dBirthday>1985-06-01</dBirthday><dCreateDate>2024-05-01</dCreateDate>"
           "<cConDefine1>wx" + std::to_string(n) + "</cConDefine1><cConDefine2>A级</cConDefine2>"
           "<cConDefine11>3</cConDefine11><cConDefine13>1000.5</cConDefine13><cConDefine15>2020-01-01</cConDefine15>"
           "<oid>{00000000-0000-4000-8000-" + std::string(12 - std::to_string(n).size(), '0') + std::to_string(n) +
           "}</oid></Ven_Contact>";
}

void AddThroughTheService(benchmark::State& state) {
    host::RegisterHostObjects();
    sovrel::RegisterComponentClasses();
    long added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string cnn = FreshAccount("add");
        sovrel::ClsCommon service;
        service.Init(cnn);
        state.ResumeTiming();
        for (long n = 1; n <= state.range(0); ++n) {
            std::string xml = ContactXml(n), table = "Ven_Contact", msg;
            if (!service.Add(xml, table, msg)) state.SkipWithError(msg.c_str());
            ++added;
        }
    }
    state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kIsRate);
}

void InsertThroughTheDataLayer(benchmark::State& state) {
    long added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string cnn = FreshAccount("raw");
        platform::db::Connection c;
        c.Open(cnn);
        auto insert = c.Prepare(
            "insert into Ven_Contact (cVenCode, cContactCode, cContactName, cAppellation, cNative, bcDutyID, bcTasteID, "
            "cPrincipal, cCreator, cOfficePhone, cMobilePhone, cEmail, cMemo, bcSexID, bcMarriageID, bMajor, dBirthday, "
            "dCreateDate, cConDefine1, cConDefine2, cConDefine11, cConDefine13, cConDefine15, oid) "
            "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        state.ResumeTiming();
        for (long n = 1; n <= state.range(0); ++n) {
            std::string s = std::to_string(n);
            const platform::db::Value values[] = {
                "V03", "V03" + std::string(8 - s.size(), '0') + s, "联系人" + s, "先生", "浙江杭州", 4, 11, "0002", "demo",
                "0571-88880000", "139" + std::to_string(10000000 + n), "c" + s + "@example.cn", "备注 & 说明", 1, 17, false,
                "1985-06-01", "2024-05-01", "wx" + s, "A级", 3, 1000.5, "2020-01-01",
                "{00000000-0000-4000-8000-" + std::string(12 - s.size(), '0') + s + "}"};
            for (int i = 0; i < 24; ++i) insert->Bind(i + 1, values[i]);
            insert->Execute();
            ++added;
        }
    }
    state.counters["contacts/s"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kIsRate);
}

// A record text of about `bytes` bytes: contacts one after another.
std::string RecordText(std::size_t bytes) {
    std::string out;
    for (long n = 1; out.size() < bytes; ++n) out += ContactXml(n);
    return out;
}

void UTLCaseOnRecordText(benchmark::State& state) {
    std::string source = RecordText(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    sovrel::ClsCommon service;
    for (auto _ : state) {
        std::string text = source;
        service.UTLCase(text, true);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void OpenPageOfTheList(benchmark::State& state) {
    static std::string cnn = [] {
        std::string dir = std::getenv("SOVREL_BENCH_DIR") ? std::getenv("SOVREL_BENCH_DIR")
                                                          : (fs::temp_directory_path() / "sovrel-bench-100k").string();
        if (!schema::AccountExists(dir)) schema::CreateDemoAccount(dir, {.contacts = 100000, .vendors = 2000, .seed = 7});
        return "Provider=SQLite;Data Source=" + dir + ";Initial Catalog=TKDATA_001_2024";
    }();
    sovrel::ClsCommon service;
    std::string text = cnn;
    service.Init(text);
    long rows = 0;
    for (auto _ : state) {
        long size = 500, page = state.range(0), pages = 0;
        sovrel::RowsetPtr rs;
        service.OpenPage("SELECT cContactCode, cContactName, cVenCode, cMobilePhone, cEmail, dBirthday FROM Ven_Contact "
                         "ORDER BY cContactCode",
                         size, page, pages, rs);
        rows = rs ? rs->RecordCount() : -1;
    }
    state.counters["rows"] = static_cast<double>(rows);
}

}  // namespace

BENCHMARK(AddThroughTheService)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(InsertThroughTheDataLayer)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(UTLCaseOnRecordText)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenPageOfTheList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);  // 0 = the last page
BENCHMARK_MAIN();
