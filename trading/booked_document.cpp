#include "trading/booked_document.h"

#include "core/file_utils.h"

namespace rubso {
namespace {

constexpr const char* kPackage = "Nr_paczki";

}  // namespace

BookedDocument ReadBookedDocument(const Tdmh& tdmh, std::int32_t package) {
    const std::string month = tdmh.MonthDirectory() + kPathSeparator;
    BookedDocument document;

    DesktopTable maga;
    maga.Open(month + "Maga.db", DesktopOpenMode::ReadOnly);
    // A transfer appends its rows at the end, so every row of the package
    // comes after the first one; the rest of the table is read from there.
    if (maga.Locate(kPackage, {DesktopValue(std::int64_t{package})})) {
        for (; !maga.Eof(); maga.Next()) {
            if (maga.AsInteger(kPackage) != package) continue;
            document.lines.push_back({maga.AsText("Asort"), maga.AsFloat("Ilosc"),
                                      maga.AsFloat("Wart_Brutto"),
                                      static_cast<int>(maga.AsInteger("Stawka_vat"))});
        }
    }
    maga.Close();

    DesktopTable rejSprz;
    rejSprz.Open(month + "RejSprz.db", DesktopOpenMode::ReadOnly);
    if (rejSprz.Locate(kPackage, {DesktopValue(std::int64_t{package})})) {
        document.hasRegisterRow = true;
        document.registerGross = rejSprz.AsFloat("Wartosc");
        for (int rate : kRegisterRowRates) {
            const std::string suffix = (rate < 10 ? "0" : "") + std::to_string(rate);
            document.registerGrossByRate[rate] =
                rejSprz.AsFloat("War_" + suffix) + rejSprz.AsFloat("Vat_" + suffix);
        }
    }
    rejSprz.Close();
    return document;
}

}  // namespace rubso
