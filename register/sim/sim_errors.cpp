#include "register/sim/sim_errors.h"

#include "register/sim/sim_text.h"

namespace rubso::sim {

const std::vector<ErrorDescription>& ErrorDescriptions() {
    static const std::vector<ErrorDescription> descriptions = {
        {Error::kNoConfig, "Brak pliku konfiguracji KONFIG.txt"},
        {Error::kBadConfig, "Błędny plik konfiguracji KONFIG.txt (brak STX0)"},
        {Error::kNoInputFile, "Brak pliku wejściowego"},
        {Error::kBadHeader, "Błędny nagłówek pliku wejściowego"},
        {Error::kBadRegisterNumber, "Błędny numer kasy w pliku wejściowym"},
        {Error::kInputTooLarge, "Plik wejściowy za duży"},
        {Error::kNoRecords, "Brak rekordów w pliku wejściowym"},
        {Error::kMalformedRecord, "Błędny format rekordu"},
        {Error::kCodeOutOfRange, "Kod towaru poza zakresem kasy"},
        {Error::kNameTooLong, "Nazwa towaru za długa"},
        {Error::kEmptyName, "Pusta nazwa towaru"},
        {Error::kBadNameCharacter, "Niedozwolony znak w nazwie towaru"},
        {Error::kNameInUse, "Nazwa towaru użyta już pod innym kodem"},
        {Error::kVatGroupOutOfRange, "Grupa VAT poza zakresem 1-7"},
        {Error::kUnitOutOfRange, "Jednostka miary poza zakresem 1-16"},
        {Error::kBadBarCode, "Błędny kod kreskowy"},
        {Error::kPriceOutOfRange, "Cena poza zakresem"},
        {Error::kUnknownGood, "Brak towaru o podanym kodzie"},
        {Error::kGoodHasSales, "Towar ma sprzedaż od ostatniego zerowania"},
        {Error::kNoModemSession, "Brak połączenia modemowego z kasą"},
        {Error::kOutputNotWritten, "Nie można zapisać pliku wyjściowego"},
        {Error::kStateUnreadable, "Uszkodzona pamięć kasy"},
        {Error::kStateNotSaved, "Nie można zapisać pamięci kasy"},
        {Error::kBadPathArgument, "Błędna ścieżka pliku"},
        {Error::kNoAnswer, "Kasa nie odpowiada"},
        {Error::kInternal, "Błąd wewnętrzny biblioteki kasy"},
    };
    return descriptions;
}

std::string KomentFileText() {
    std::string text;
    for (const ErrorDescription& entry : ErrorDescriptions()) {
        std::string code = std::to_string(static_cast<int>(entry.code));
        text += std::string(3 - code.size(), ' ') + code + "\t" + Utf8ToCp1250(entry.utf8) + "\r\n";
    }
    return text;
}

}  // namespace rubso::sim
