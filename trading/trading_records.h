#pragma once
// The values a sales transfer writes into the trading program's desktop
// tables: the settings that say where the document goes, the per-document-type
// values, and one record per table (a Maga movement, a Kama stock card, a
// sales or purchase register row).
//
// The records are plain values: each Add... works on its own copy, texts are
// bytes in the trading program's code page. Member names are the tables'
// column names. Date-time members left at their default hold ZeroDateTime(),
// the trading program's "no date" (30.12.1899), which is what it keeps in such
// columns, never a blank.

#include <QDateTime>
#include <cstdint>
#include <string>

namespace rubso {

// 30.12.1899 00:00, day 0 of the trading program's date-time.
QDateTime ZeroDateTime();

// Where a sales transfer goes (see LoadTransferSettings).
struct TransferSettings {
    std::string warehouse;            // Magazyn, at most 3 characters in the trading program
    std::string salesDirection;       // Kierunek
    std::int32_t salesRegister = 0;   // Rej of the sales register
    std::int32_t contractorCode = 0;  // Kod of the contractor the document is issued to
};

// The values InitDok fills for one document type; Init... copy them into the
// records. Only "WZ" is known: any other type keeps every number at 0.
struct DocumentParameters {
    std::int32_t typZ = 0;
    std::int32_t typS = 0;
    std::int32_t robrMovement = 0;  // Maga Robr
    std::int32_t robrRegister = 0;  // register Robr
    std::int32_t rej = 0;
    std::int32_t fvMovement = 0;  // Maga FV
    std::int32_t rfMovement = 0;  // Maga RF
    std::int32_t fvRegister = 0;  // register Fv
    std::int32_t rfRegister = 0;  // register Rf
    std::int32_t fano = 0;
    std::string documentType;  // Maga Rodz_dok
    std::string kierunek;      // Maga Kierunek; InitDok of an unknown type leaves it
};

// One row of Maga. AddMaga writes every member except rodzDok, which it takes
// from the DocumentParameters.
struct TRekMaga {
    std::int32_t Nr_paczki = 0;
    std::int16_t TypZ = 0;
    std::int16_t TypS = 0;
    std::int16_t TypM = 0;
    std::int32_t Kod = 0;
    std::int32_t Platnik = 0;
    std::string Asort;
    std::string Jm;
    std::string Grupa_As;
    std::string Magazyn;
    std::string Kierunek;
    double Ilosc = 0, Ilosc2 = 0, Ilosc3 = 0;
    std::string Nrceny;
    double Cena = 0, Cena2 = 0, Cena_Ewid = 0, Cena_UPUST = 0, Cena_Netto = 0, Cena_brutto = 0;
    std::int16_t Nrprowizji = 0;
    double Procent_upustu = 0, Kwota_upustu = 0, Wartosc = 0, Wart_Brutto = 0, Podatek = 0,
           Cena_zakupu = 0, Wart_zak = 0;
    std::string Numfak, Nr_dok, Partia;
    QDateTime Data_Part = ZeroDateTime();
    std::string Nr_zamow, Numpofak, Konto, Lokalizacja;
    QDateTime Data_waznosci = ZeroDateTime();
    std::string rodzDok;  // the document type, kept but not written
    QDateTime Data_faktury = ZeroDateTime(), Data_wplywu = ZeroDateTime(),
              Data_DWP = ZeroDateTime(), Data_fakor = ZeroDateTime(), Term_zapl = ZeroDateTime(),
              Data_pop = ZeroDateTime();
    std::int16_t Fano = 0;
    std::int16_t Jakplaci = 0;
    std::string Kod_vat;
    std::int16_t Stawka_vat = 0;
    bool CzyZVat = false;
    std::int32_t Trasa = 0;
    std::int16_t Komputer = 0, Wsk = 0, Bylo = 0;
    std::int32_t Rej = 0;
    std::int16_t Robr = 0, FV = 0, RF = 0, Lp = 0;
    std::string Zaklad, Operator, Zatwierdz, Zatw_operator;
    std::int16_t PN = 0, Status_UE = 0;
    QDateTime Data_wpisu = ZeroDateTime();
    double StKn = 0;
    std::int16_t TypAsort = 0;
    bool WskPartii = false;
};

// One stock card of Kama; its key is Typm, Magazyn, Asort.
struct TRekKama {
    std::int16_t Typm = 0;
    std::string Magazyn;
    std::string Asort;
    QDateTime Data = ZeroDateTime();
    std::string PARTIA;
    double Cena = 0;
    std::string Lokalizacja, Grupa_As;
    std::string JM;
    double Sp = 0, Sp2 = 0, Sp3 = 0, Przychody = 0, Rozchody = 0, Pilosc2 = 0, Rilosc2 = 0,
           Pilosc3 = 0, Rilosc3 = 0, Cena_sr = 0, Wart_sp = 0, Wart_prz = 0, Wart_rozch = 0,
           Wart_sp2 = 0;
    QDateTime Data_inw = ZeroDateTime(), Data_inw1 = ZeroDateTime(), Data_zuz = ZeroDateTime();
};

// One row of the sales register RejSprz or the purchase register RejZak.
struct TRekRejZaSp {
    std::int32_t Rej = 0;
    std::int32_t Lp_rej = 0;
    std::int32_t Nr_paczki = 0;
    std::int32_t Kod = 0;
    std::int32_t Platnik = 0;
    std::int32_t Robr = 0;
    std::int16_t Wsk_dekr = 0;
    std::string Numfak, Numpofak, Nr_dok, Nr_pz;
    QDateTime Data_faktury = ZeroDateTime(), Data_wplywu = ZeroDateTime(),
              Data_dwp = ZeroDateTime(), Data_fakor = ZeroDateTime(), Data_wpisu = ZeroDateTime(),
              Term_zapl = ZeroDateTime(), Data_pop = ZeroDateTime();
    double Wartosc = 0, Netto = 0, Podatek = 0, Do_opodat = 0;
    double War_00 = 0, War_03 = 0, Vat_03 = 0, War_05 = 0, Vat_05 = 0, War_08 = 0, Vat_08 = 0,
           War_23 = 0, Vat_23 = 0, War_np = 0, War_zw = 0, Kwota_upustu = 0, Transport = 0,
           Vat_transport = 0;
    std::string Tresc, Sr_trans;
    std::int32_t Komputer = 0;
    std::string Operator;
    std::int32_t Jakplaci = 0;
    std::int32_t Fv = 0;
    std::int32_t Fano = 0;
    std::int32_t Rf = 0;
    std::int16_t Status_ue = 0, Wsk = 0;
    std::string Rodzaj_operacji;
    std::int32_t Anul = 0;
    std::string Magazyn;
    std::string Ksiegowane;
    std::int32_t Zatwierdz = 0;
    std::string Zatw_operator;
    bool Wybor = false;
};

}  // namespace rubso
