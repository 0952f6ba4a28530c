// The desktop-table layer on tables shaped like the trading program's: rows
// appended as a transfer appends warehouse movements, stock cards located as
// a transfer locates one per sales line, and opening and reading a table.

#include <benchmark/benchmark.h>

#include <QTime>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "db/desktop/desktop_table.h"

namespace {

using rubso::DesktopFieldKind;
using rubso::DesktopNewField;
using rubso::DesktopOpenMode;
using rubso::DesktopTable;

constexpr int kAppendedRows = 10000;
constexpr int kCardRows = 20000;
constexpr int kLocates = 5000;

// A fresh directory, removed with its files on destruction.
class BenchDir {
  public:
    BenchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rubso-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern + "/";
    }
    ~BenchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;
    std::string File(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

DesktopNewField Alpha(const char* name, int width) {
    return {name, DesktopFieldKind::Alpha, width};
}
DesktopNewField Of(const char* name, DesktopFieldKind kind) {
    return {name, kind, 0};
}

// The warehouse movements table, field for field as a transfer writes it.
std::vector<DesktopNewField> MagaFields() {
    using K = DesktopFieldKind;
    std::vector<DesktopNewField> fields = {
        Of("Nr_paczki", K::Long), Of("TypZ", K::Short), Of("TypS", K::Short),
        Of("TypM", K::Short),     Of("Kod", K::Long),   Of("Platnik", K::Long),
        Alpha("Asort", 20),       Alpha("Jm", 5),       Alpha("Grupa_As", 10),
        Alpha("Magazyn", 3),      Alpha("Kierunek", 10)};
    for (const char* name : {"Ilosc", "Ilosc2", "Ilosc3"}) fields.push_back(Of(name, K::Number));
    fields.push_back(Alpha("Nrceny", 2));
    for (const char* name :
         {"Cena", "Cena2", "Cena_Ewid", "Cena_UPUST", "Cena_Netto", "Cena_brutto"}) {
        fields.push_back(Of(name, K::Number));
    }
    fields.push_back(Of("Nrprowizji", K::Short));
    for (const char* name : {"Procent_upustu", "Kwota_upustu", "Wartosc", "Wart_Brutto", "Podatek",
                             "Cena_zakupu", "Wart_zak"}) {
        fields.push_back(Of(name, K::Number));
    }
    for (const char* name : {"Numfak", "Nr_dok", "Partia"}) fields.push_back(Alpha(name, 20));
    fields.push_back(Of("Data_Part", K::Date));
    for (const char* name : {"Nr_zamow", "Numpofak", "Konto"}) fields.push_back(Alpha(name, 20));
    fields.push_back(Alpha("Lokalizacja", 10));
    fields.push_back(Of("Data_waznosci", K::Date));
    fields.push_back(Alpha("Rodz_dok", 4));
    for (const char* name :
         {"Data_faktury", "Data_wplywu", "Data_DWP", "Data_fakor", "Term_zapl", "Data_pop"}) {
        fields.push_back(Of(name, K::Date));
    }
    fields.push_back(Of("Fano", K::Short));
    fields.push_back(Of("Jakplaci", K::Short));
    fields.push_back(Alpha("Kod_vat", 3));
    fields.push_back(Of("Stawka_vat", K::Short));
    fields.push_back(Of("CzyZVat", K::Logical));
    fields.push_back(Of("Trasa", K::Long));
    for (const char* name : {"Komputer", "Wsk", "Bylo"}) fields.push_back(Of(name, K::Short));
    fields.push_back(Of("Rej", K::Long));
    for (const char* name : {"Robr", "FV", "RF", "Lp"}) fields.push_back(Of(name, K::Short));
    for (const char* name : {"Zaklad", "Operator", "Zatwierdz", "Zatw_operator"}) {
        fields.push_back(Alpha(name, 10));
    }
    fields.push_back(Of("PN", K::Short));
    fields.push_back(Of("Status_UE", K::Short));
    fields.push_back(Of("Data_wpisu", K::Date));
    fields.push_back(Of("StKn", K::Number));
    fields.push_back(Of("TypAsort", K::Short));
    fields.push_back(Of("WskPartii", K::Logical));
    return fields;
}

// The stock cards table.
std::vector<DesktopNewField> KamaFields() {
    using K = DesktopFieldKind;
    std::vector<DesktopNewField> fields = {
        Of("Typm", K::Short),     Alpha("Magazyn", 3),   Alpha("Asort", 20),
        Of("Data", K::Date),      Alpha("PARTIA", 20),   Of("Cena", K::Number),
        Alpha("Lokalizacja", 10), Alpha("Grupa_As", 10), Alpha("JM", 5)};
    for (const char* name :
         {"Sp", "Sp2", "Sp3", "Przychody", "Rozchody", "Pilosc2", "Rilosc2", "Pilosc3", "Rilosc3",
          "Cena_sr", "Wart_sp", "Wart_prz", "Wart_rozch", "Wart_sp2"}) {
        fields.push_back(Of(name, K::Number));
    }
    for (const char* name : {"Data_inw", "Data_inw1", "Data_zuz"}) {
        fields.push_back(Of(name, K::Date));
    }
    return fields;
}

std::string Symbol(int i) {
    return "TOWAR-" + std::to_string(100000 + i);
}

// One warehouse movement, set field by field as a transfer sets it.
void AppendMovement(DesktopTable& maga, int line, const QDateTime& day) {
    maga.Append();
    maga.SetInteger("Nr_paczki", 101090514);
    maga.SetInteger("TypZ", 0);
    maga.SetInteger("TypS", 1);
    maga.SetInteger("TypM", 1);
    maga.SetInteger("Kod", 17);
    maga.SetInteger("Platnik", 0);
    maga.SetText("Asort", Symbol(line % 3000));
    maga.SetText("Jm", "kg");
    maga.SetText("Grupa_As", "SPOZ");
    maga.SetText("Magazyn", "01");
    maga.SetText("Kierunek", "SPRZ");
    maga.SetFloat("Ilosc", 2.0);
    maga.SetFloat("Cena", 10.0);
    maga.SetFloat("Cena_brutto", 12.3);
    maga.SetFloat("Wartosc", 20.0);
    maga.SetFloat("Wart_Brutto", 24.6);
    maga.SetFloat("Podatek", 4.6);
    maga.SetText("Numfak", "WZ/101090514");
    maga.SetText("Nr_dok", "WZ/101090514");
    maga.SetText("Rodz_dok", "WZ");
    for (const char* name :
         {"Data_faktury", "Data_wplywu", "Data_DWP", "Term_zapl", "Data_wpisu"}) {
        maga.SetDateTime(name, day);
    }
    maga.SetInteger("Fano", 90);
    maga.SetText("Kod_vat", "23");
    maga.SetInteger("Stawka_vat", 23);
    maga.SetBoolean("CzyZVat", false);
    maga.SetInteger("Rej", 1);
    maga.SetInteger("Robr", 2);
    maga.SetInteger("FV", 1);
    maga.SetInteger("RF", 9);
    maga.SetInteger("Lp", line % 30000);
    maga.SetBoolean("WskPartii", false);
    maga.Post();
    maga.Flush();
}

// 10,000 movements appended, each posted and flushed as a transfer does.
void BM_AppendTenThousandMovements(benchmark::State& state) {
    const QDateTime day(QDate(2009, 5, 14), QTime(0, 0));
    for (auto _ : state) {
        state.PauseTiming();
        BenchDir dir;
        const std::string path = dir.File("Maga.db");
        DesktopTable::Create(path, MagaFields());
        state.ResumeTiming();
        DesktopTable maga;
        maga.Open(path, DesktopOpenMode::ReadWrite);
        maga.SetBlankDatesAsZeroDate(true);
        for (int line = 0; line < kAppendedRows; ++line) AppendMovement(maga, line, day);
        maga.Sync();
        maga.Close();
    }
    state.counters["rows_per_second"] = benchmark::Counter(
        static_cast<double>(kAppendedRows) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AppendTenThousandMovements)->Unit(benchmark::kMillisecond);

// A stock cards table of 20,000 cards, made once.
const std::string& CardTable() {
    static BenchDir dir;
    static const std::string path = [] {
        const std::string file = dir.File("Kama.db");
        DesktopTable::Create(file, KamaFields());
        DesktopTable kama;
        kama.Open(file, DesktopOpenMode::ReadWrite);
        for (int i = 0; i < kCardRows; ++i) {
            kama.Append();
            kama.SetInteger("Typm", 1);
            kama.SetText("Magazyn", "01");
            kama.SetText("Asort", Symbol(i));
            kama.SetFloat("Cena", 10.0);
            kama.SetText("JM", "kg");
            kama.Post();
        }
        kama.Close();
        return file;
    }();
    return path;
}

std::vector<int> RandomCards() {
    std::mt19937 random(20090514);
    std::vector<int> cards(kLocates);
    for (int& card : cards) card = static_cast<int>(random() % kCardRows);
    return cards;
}

// 5,000 cards located by "Typm;Magazyn;Asort" in a table of 20,000; the
// first Locate builds the index, so opening and that build are timed too.
void BM_LocateFiveThousandCards(benchmark::State& state) {
    const std::string& path = CardTable();
    const std::vector<int> cards = RandomCards();
    for (auto _ : state) {
        DesktopTable kama;
        kama.Open(path, DesktopOpenMode::ReadOnly);
        double total = 0.0;
        for (const int card : cards) {
            if (!kama.Locate("Typm;Magazyn;Asort",
                             {std::int64_t{1}, std::string("01"), Symbol(card)})) {
                state.SkipWithError("a card was not found");
                return;
            }
            total += kama.AsFloat("Cena");
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["locates_per_second"] =
        benchmark::Counter(static_cast<double>(kLocates) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LocateFiveThousandCards)->Unit(benchmark::kMillisecond);

// The stock card update of a transfer, 5,000 times: locate, edit, post, flush.
void BM_UpdateFiveThousandCards(benchmark::State& state) {
    const std::vector<int> cards = RandomCards();
    for (auto _ : state) {
        state.PauseTiming();
        BenchDir dir;
        const std::string path = dir.File("Kama.db");
        std::filesystem::copy_file(CardTable(), path);
        state.ResumeTiming();
        DesktopTable kama;
        kama.Open(path, DesktopOpenMode::ReadWrite);
        for (const int card : cards) {
            if (!kama.Locate("Typm;Magazyn;Asort",
                             {std::int64_t{1}, std::string("01"), Symbol(card)})) {
                state.SkipWithError("a card was not found");
                return;
            }
            kama.Edit();
            kama.SetFloat("Rozchody", kama.AsFloat("Rozchody") + 2.0);
            kama.Post();
            kama.Flush();
        }
        kama.Sync();
        kama.Close();
    }
}
BENCHMARK(BM_UpdateFiveThousandCards)->Unit(benchmark::kMillisecond);

// Opening the 20,000-card table and closing it again.
void BM_OpenCardTable(benchmark::State& state) {
    const std::string& path = CardTable();
    for (auto _ : state) {
        DesktopTable kama;
        kama.Open(path, DesktopOpenMode::ReadOnly);
        benchmark::DoNotOptimize(kama.RecordCount());
    }
}
BENCHMARK(BM_OpenCardTable)->Unit(benchmark::kMillisecond);

// Reading every card in table order, three fields each.
void BM_ReadAllCards(benchmark::State& state) {
    const std::string& path = CardTable();
    for (auto _ : state) {
        DesktopTable kama;
        kama.Open(path, DesktopOpenMode::ReadOnly);
        std::size_t bytes = 0;
        for (kama.First(); !kama.Eof(); kama.Next()) {
            bytes += kama.AsText("Asort").size() + kama.AsText("Magazyn").size();
            benchmark::DoNotOptimize(kama.AsFloat("Cena"));
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadAllCards)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
