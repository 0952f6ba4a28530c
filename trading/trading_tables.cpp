#include "trading/trading_tables.h"

#include <exception>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"

namespace rubso {
namespace {

constexpr const char* kCardKey = "Typm;Magazyn;Asort";
constexpr const char* kPackageColumn = "Nr_Paczki";

// The names of a comma-separated list, upper-cased, in order; empty names
// (",," or a trailing ",") are dropped.
std::vector<std::string> ListNames(std::string_view list) {
    std::vector<std::string> names;
    std::string rest = UpperCase(list) + ",";
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string name = rest.substr(0, comma);
        rest.erase(0, comma + 1);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

std::string TradingPath() {
    return WithTrailingSeparator(App().mainSettings.asorPth);
}

}  // namespace

QDateTime ZeroDateTime() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

Tdmh::Tdmh() = default;
Tdmh::~Tdmh() = default;

std::string Tdmh::YearDirectory() const {
    return TradingPath() + App().yearDirName;
}

std::string Tdmh::MonthDirectory() const {
    return YearDirectory() + kPathSeparator + App().monthDirName;
}

// --- Opening and closing ------------------------------------------------------------

void Tdmh::OpenOne(const std::string& name) {
    const std::string month = MonthDirectory() + kPathSeparator;
    if (name == "KAMA") {
        tblKama.Open(month + "Kama.db", DesktopOpenMode::ReadWrite);
    } else if (name == "MAGA") {
        tblMaga.Open(month + "Maga.db", DesktopOpenMode::ReadWrite);
    } else if (name == "REJZAK") {
        tblRejZaSp.Open(month + "RejZak.db", DesktopOpenMode::ReadWrite);
    } else if (name == "REJSPRZ") {
        tblRejZaSp.Open(month + "RejSprz.db", DesktopOpenMode::ReadWrite);
    } else if (name == "ASOR") {
        tblAsor.Open(YearDirectory() + kPathSeparator + "Asort.db", DesktopOpenMode::ReadOnly);
    }
}

bool Tdmh::OpenHandel(std::string_view list) {
    lastOpenFailure_.clear();
    for (const std::string& name : ListNames(list)) {
        try {
            OpenOne(name);
        } catch (const std::exception& error) {
            const std::string directory = name == "ASOR" ? YearDirectory() : MonthDirectory();
            lastOpenFailure_ =
                Cp1250("Nieudana próba otwarcia ") + name + " na sciezce " + directory;
            // A header that lags behind its blocks can be repaired: say how.
            if (const auto* lag = dynamic_cast<const DesktopHeaderMismatch*>(&error)) {
                lastOpenFailure_ += ". " + lag->Advice();
            }
            Komunikat(lastOpenFailure_, true);
            WriteWorkLog(error.what());
            CloseHandel(list);
            return false;
        }
    }
    return true;
}

void Tdmh::CloseOne(const std::string& name) {
    if (name == "KAMA") {
        tblKama.Close();
    } else if (name == "MAGA") {
        tblMaga.Close();
    } else if (name == "REJSPRZ") {
        tblRejZaSp.Close();
    } else if (name == "ASOR") {
        tblAsor.Close();
    }
}

bool Tdmh::CloseHandel(std::string_view list) {
    for (const std::string& name : ListNames(list)) {
        try {
            CloseOne(name);
        } catch (const std::exception& error) {
            WriteWorkLog(Cp1250("Nieudana próba zamkniecia ") + name);
            WriteWorkLog(error.what());
            return false;
        }
    }
    return true;
}

// --- Document values and records ----------------------------------------------------

void Tdmh::InitDok(std::string_view type) {
    const std::string kierunek = document_.kierunek;
    document_ = DocumentParameters{};
    document_.documentType = std::string(type);
    document_.kierunek = kierunek;
    if (type != "WZ") return;
    document_.typZ = 0;
    document_.typS = 1;
    document_.robrMovement = 2;
    document_.robrRegister = 9;
    document_.rej = settings_.salesRegister;
    document_.fvMovement = 1;
    document_.rfMovement = 9;
    document_.fvRegister = 1;
    document_.rfRegister = 9;
    document_.fano = 90;
    document_.kierunek = settings_.salesDirection;
}

void Tdmh::InitMaga(TRekMaga& record) const {
    record = TRekMaga{};
    record.TypZ = static_cast<std::int16_t>(document_.typZ);
    record.TypS = static_cast<std::int16_t>(document_.typS);
    record.TypM = 1;
    record.Kod = settings_.contractorCode;
    record.Jm = "kg";
    record.Magazyn = settings_.warehouse;
    record.Kierunek = document_.kierunek;
    record.rodzDok = document_.documentType;
    record.Fano = static_cast<std::int16_t>(document_.fano);
    record.Rej = document_.rej;
    record.Robr = static_cast<std::int16_t>(document_.robrMovement);
    record.FV = static_cast<std::int16_t>(document_.fvMovement);
    record.RF = static_cast<std::int16_t>(document_.rfMovement);
}

void Tdmh::InitKama(TRekKama& record) const {
    record = TRekKama{};
    record.Typm = 1;
    record.Magazyn = settings_.warehouse;
    record.JM = "kg";
}

void Tdmh::InitRejZaSp(TRekRejZaSp& record) const {
    record = TRekRejZaSp{};
    record.Rej = document_.rej;
    record.Kod = settings_.contractorCode;
    record.Robr = document_.robrRegister;
    record.Fv = document_.fvRegister;
    record.Fano = document_.fano;
    record.Rf = document_.rfRegister;
    record.Magazyn = settings_.warehouse;
}

// --- Writing rows -------------------------------------------------------------------

void Tdmh::AddMaga(const TRekMaga& r) {
    DesktopTable& t = tblMaga;
    t.Append();
    t.SetInteger("Nr_paczki", r.Nr_paczki);
    t.SetInteger("TypZ", r.TypZ);
    t.SetInteger("TypS", r.TypS);
    t.SetInteger("TypM", r.TypM);
    t.SetInteger("Kod", r.Kod);
    t.SetInteger("Platnik", r.Platnik);
    t.SetText("Asort", r.Asort);
    t.SetText("Jm", r.Jm);
    t.SetText("Grupa_As", r.Grupa_As);
    t.SetText("Magazyn", r.Magazyn);
    t.SetText("Kierunek", r.Kierunek);
    t.SetFloat("Ilosc", r.Ilosc);
    t.SetFloat("Ilosc2", r.Ilosc2);
    t.SetFloat("Ilosc3", r.Ilosc3);
    t.SetText("Nrceny", r.Nrceny);
    t.SetFloat("Cena", r.Cena);
    t.SetFloat("Cena2", r.Cena2);
    t.SetFloat("Cena_Ewid", r.Cena_Ewid);
    t.SetFloat("Cena_UPUST", r.Cena_UPUST);
    t.SetFloat("Cena_Netto", r.Cena_Netto);
    t.SetFloat("Cena_brutto", r.Cena_brutto);
    t.SetInteger("Nrprowizji", r.Nrprowizji);
    t.SetFloat("Procent_upustu", r.Procent_upustu);
    t.SetFloat("Kwota_upustu", r.Kwota_upustu);
    t.SetFloat("Wartosc", r.Wartosc);
    t.SetFloat("Wart_Brutto", r.Wart_Brutto);
    t.SetFloat("Podatek", r.Podatek);
    t.SetFloat("Cena_zakupu", r.Cena_zakupu);
    t.SetFloat("Wart_zak", r.Wart_zak);
    t.SetText("Numfak", r.Numfak);
    t.SetText("Nr_dok", r.Nr_dok);
    t.SetText("Partia", r.Partia);
    t.SetDateTime("Data_Part", r.Data_Part);
    t.SetText("Nr_zamow", r.Nr_zamow);
    t.SetText("Numpofak", r.Numpofak);
    t.SetText("Konto", r.Konto);
    t.SetText("Lokalizacja", r.Lokalizacja);
    t.SetDateTime("Data_waznosci", r.Data_waznosci);
    t.SetText("Rodz_dok", document_.documentType);
    t.SetDateTime("Data_faktury", r.Data_faktury);
    t.SetDateTime("Data_wplywu", r.Data_wplywu);
    t.SetDateTime("Data_DWP", r.Data_DWP);
    t.SetDateTime("Data_fakor", r.Data_fakor);
    t.SetDateTime("Term_zapl", r.Term_zapl);
    t.SetDateTime("Data_pop", r.Data_pop);
    t.SetInteger("Fano", r.Fano);
    t.SetInteger("Jakplaci", r.Jakplaci);
    t.SetText("Kod_vat", r.Kod_vat);
    t.SetInteger("Stawka_vat", r.Stawka_vat);
    t.SetBoolean("CzyZVat", r.CzyZVat);
    t.SetInteger("Trasa", r.Trasa);
    t.SetInteger("Komputer", r.Komputer);
    t.SetInteger("Wsk", r.Wsk);
    t.SetInteger("Bylo", r.Bylo);
    t.SetInteger("Rej", r.Rej);
    t.SetInteger("Robr", r.Robr);
    t.SetInteger("FV", r.FV);
    t.SetInteger("RF", r.RF);
    t.SetInteger("Lp", r.Lp);
    t.SetText("Zaklad", r.Zaklad);
    t.SetText("Operator", r.Operator);
    t.SetText("Zatwierdz", r.Zatwierdz);
    t.SetText("Zatw_operator", r.Zatw_operator);
    t.SetInteger("PN", r.PN);
    t.SetInteger("Status_UE", r.Status_UE);
    t.SetDateTime("Data_wpisu", r.Data_wpisu);
    t.SetFloat("StKn", r.StKn);
    t.SetInteger("TypAsort", r.TypAsort);
    t.SetBoolean("WskPartii", r.WskPartii);
    t.Post();
    t.Flush();
}

bool Tdmh::LocateCard(const std::string& magazyn, const std::string& asort) {
    return tblKama.Locate(kCardKey, {std::int64_t{1}, magazyn, asort});
}

void Tdmh::AddKama(const TRekKama& r) {
    DesktopTable& t = tblKama;
    if (LocateCard(r.Magazyn, r.Asort)) {
        const double przychody = t.AsFloat("Przychody");
        const double rozchody = t.AsFloat("Rozchody");
        t.Edit();
        t.SetFloat("Przychody", przychody + r.Przychody);
        t.SetFloat("Rozchody", rozchody + r.Rozchody);
    } else {
        t.Append();
        t.SetInteger("Typm", r.Typm);
        t.SetText("Magazyn", r.Magazyn);
        t.SetText("Asort", r.Asort);
        t.SetDateTime("Data", r.Data);
        t.SetText("PARTIA", r.PARTIA);
        t.SetFloat("Cena", r.Cena);
        t.SetText("Lokalizacja", r.Lokalizacja);
        t.SetText("Grupa_As", r.Grupa_As);
        t.SetText("JM", r.JM);
        t.SetFloat("Sp", r.Sp);
        t.SetFloat("Sp2", r.Sp2);
        t.SetFloat("Sp3", r.Sp3);
        t.SetFloat("Przychody", r.Przychody);
        t.SetFloat("Rozchody", r.Rozchody);
        t.SetFloat("Pilosc2", r.Pilosc2);
        t.SetFloat("Rilosc2", r.Rilosc2);
        t.SetFloat("Pilosc3", r.Pilosc3);
        t.SetFloat("Rilosc3", r.Rilosc3);
        t.SetFloat("Cena_sr", r.Cena_sr);
        t.SetFloat("Wart_sp", r.Wart_sp);
        t.SetFloat("Wart_prz", r.Wart_prz);
        t.SetFloat("Wart_rozch", r.Wart_rozch);
        t.SetFloat("Wart_sp2", r.Wart_sp2);
        t.SetDateTime("Data_inw", r.Data_inw);
        t.SetDateTime("Data_inw1", r.Data_inw1);
        t.SetDateTime("Data_zuz", r.Data_zuz);
    }
    t.Post();
    t.Flush();
}

void Tdmh::AddRejZaSp(const TRekRejZaSp& r) {
    DesktopTable& t = tblRejZaSp;
    t.Append();
    t.SetInteger("Rej", r.Rej);
    t.SetInteger("Lp_rej", r.Lp_rej);
    t.SetInteger("Nr_paczki", r.Nr_paczki);
    t.SetInteger("Kod", r.Kod);
    t.SetInteger("Platnik", r.Platnik);
    t.SetInteger("Robr", r.Robr);
    t.SetInteger("Wsk_dekr", r.Wsk_dekr);
    t.SetText("Numfak", r.Numfak);
    t.SetText("Numpofak", r.Numpofak);
    t.SetText("Nr_dok", r.Nr_dok);
    t.SetText("Nr_pz", r.Nr_pz);
    t.SetDateTime("Data_faktury", r.Data_faktury);
    t.SetDateTime("Data_wplywu", r.Data_wplywu);
    t.SetDateTime("Data_dwp", r.Data_dwp);
    t.SetDateTime("Data_fakor", r.Data_fakor);
    t.SetDateTime("Data_wpisu", r.Data_wpisu);
    t.SetDateTime("Term_zapl", r.Term_zapl);
    t.SetDateTime("Data_pop", r.Data_pop);
    t.SetFloat("Wartosc", r.Wartosc);
    t.SetFloat("Netto", r.Netto);
    t.SetFloat("Podatek", r.Podatek);
    t.SetFloat("Do_opodat", r.Do_opodat);
    t.SetFloat("War_00", r.War_00);
    t.SetFloat("War_03", r.War_03);
    t.SetFloat("Vat_03", r.Vat_03);
    t.SetFloat("War_05", r.War_05);
    t.SetFloat("Vat_05", r.Vat_05);
    t.SetFloat("War_08", r.War_08);
    t.SetFloat("Vat_08", r.Vat_08);
    t.SetFloat("War_23", r.War_23);
    t.SetFloat("Vat_23", r.Vat_23);
    t.SetFloat("War_np", r.War_np);
    t.SetFloat("War_zw", r.War_zw);
    t.SetFloat("Kwota_upustu", r.Kwota_upustu);
    t.SetFloat("Transport", r.Transport);
    t.SetFloat("Vat_transport", r.Vat_transport);
    t.SetText("Tresc", r.Tresc);
    t.SetText("Sr_trans", r.Sr_trans);
    t.SetInteger("Komputer", r.Komputer);
    t.SetText("Operator", r.Operator);
    t.SetInteger("Jakplaci", r.Jakplaci);
    t.SetInteger("Fv", r.Fv);
    t.SetInteger("Fano", r.Fano);
    t.SetInteger("Rf", r.Rf);
    t.SetInteger("Status_ue", r.Status_ue);
    t.SetInteger("Wsk", r.Wsk);
    t.SetText("Rodzaj_operacji", r.Rodzaj_operacji);
    t.SetInteger("Anul", r.Anul);
    t.SetText("Magazyn", r.Magazyn);
    t.SetText("Ksiegowane", r.Ksiegowane);
    t.SetInteger("Zatwierdz", r.Zatwierdz);
    t.SetText("Zatw_operator", r.Zatw_operator);
    t.SetBoolean("Wybor", r.Wybor);
    t.Post();
    t.Flush();
}

// --- Removing a package -------------------------------------------------------------

void Tdmh::UsunPaczkeZMaga(std::int32_t package) {
    const std::vector<DesktopValue> key = {std::int64_t{package}};
    const char* working = "Maga";
    try {
        bool changedCards = false;
        while (tblMaga.Locate(kPackageColumn, key)) {
            working = "Maga";
            const std::string magazyn = tblMaga.AsText("Magazyn");
            const std::string asort = tblMaga.AsText("Asort");
            const double ilosc = tblMaga.AsFloat("Ilosc");
            const bool receipt = tblMaga.AsInteger("Robr") == 1;
            working = "Kama";
            if (LocateCard(magazyn, asort)) {
                const double przychody = tblKama.AsFloat("Przychody");
                const double rozchody = tblKama.AsFloat("Rozchody");
                tblKama.Edit();
                if (receipt) {
                    tblKama.SetFloat("Przychody", przychody - ilosc);
                } else {
                    tblKama.SetFloat("Rozchody", rozchody - ilosc);
                }
                tblKama.Post();
                changedCards = true;
            }
            working = "Maga";
            tblMaga.Delete();
        }
        working = "Maga";
        tblMaga.Flush();
        working = "Kama";
        if (changedCards) tblKama.Flush();
    } catch (const std::exception& error) {
        const std::string text =
            Cp1250("Nieudana próba usunięcia paczki ") + std::to_string(package) + " " + working;
        WriteWorkLog(text);
        WriteWorkLog(error.what());
        throw DesktopTableError(text + ": " + error.what());
    }
}

void Tdmh::UsunPaczkeZRej(std::int32_t package, DesktopTable& table) {
    const std::vector<DesktopValue> key = {std::int64_t{package}};
    try {
        while (table.Locate(kPackageColumn, key)) table.Delete();
        table.Flush();
    } catch (const std::exception& error) {
        const std::string text = Cp1250("Nieudana próba usunięcia paczki ") +
                                 std::to_string(package) + " " + table.FileName();
        WriteWorkLog(text);
        WriteWorkLog(error.what());
        throw DesktopTableError(text + ": " + error.what());
    }
}

}  // namespace rubso
