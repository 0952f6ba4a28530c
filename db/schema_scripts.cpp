#include "db/schema_scripts.h"

#include <array>
#include <span>

namespace rubso {
namespace {

// Each script is kept as the exact lines the runners receive; an empty
// string is an empty line. Long lines are written as adjacent literals.

constexpr const char* kComDef[] = {
    "CREATE TABLE COM_DEF(",
    "NR_KOMP      INTEGER DEFAULT 0,",
    "PORT         INTEGER DEFAULT 0,",
    "SZYBKOSC     INTEGER DEFAULT 0,",
    "BITY_DANYCH  INTEGER DEFAULT 0,",
    "BITY_STOPU   NUMERIC(15,4) DEFAULT 0,",
    "PARZYSTOSC   VARCHAR(10) DEFAULT '',",
    "PROTOKOL     VARCHAR(10) DEFAULT '',",
    "TYP          VARCHAR(30) DEFAULT '',",
    "TIMEOUT      INTEGER DEFAULT 0,",
    "METODADF     INTEGER DEFAULT 0,",
    "ID           INTEGER,",
    "KOD_KASA     VARCHAR(5),",
    "NAZWA        VARCHAR(20),",
    "CENA         VARCHAR(10),",
    "REJ          INTEGER,",
    "KIERUNEK     VARCHAR(3),",
    "MAGAZYN      VARCHAR(3),",
    "KOD          INTEGER,",
    "VYRNRSZT     INTEGER,",
    "VYRNRKG      INTEGER,",
    "VYRNRPOCZ    INTEGER,",
    "VYRMAXKOD    INTEGER,",
    "AKT_TOWARY   TIMESTAMP,",
    "AKT_CENY     TIMESTAMP,",
    "TIMEOUT2     INTEGER DEFAULT 0",
    ");",
    "",
};

constexpr const char* kHistPar[] = {
    "CREATE TABLE HIST_PAR (",  "ID         INTEGER NOT NULL,",         "DATA_WPISU TIMESTAMP,",
    "OPIS       VARCHAR(100),", "CONSTRAINT HIST_PAR0 PRIMARY KEY(ID)", ");",
};

constexpr const char* kOdczyt[] = {
    "CREATE TABLE ODCZYT(",
    "ID            INTEGER NOT NULL,",
    "PLIK          VARCHAR(20),",
    "LINIA         VARCHAR(150),",
    "DATA          TIMESTAMP,",
    "CONSTRAINT ODCZYT PRIMARY KEY(ID)",
    ");",
};

constexpr const char* kOdczytIdx[] = {
    "CREATE INDEX ODCZYT0 ON ODCZYT(PLIK,DATA);",
    "",
};

constexpr const char* kParagony[] = {
    "CREATE TABLE PARAGONY(",
    "ID            INTEGER NOT NULL,",
    "ODCZYT        VARCHAR(12),",
    "DATASPRZ      TIMESTAMP,",
    "DATA          DATE,",
    "NUMER         INTEGER,",
    "STORNO        INTEGER,",
    "PLU           INTEGER,",
    "ASORT         VARCHAR(20),",
    "BARCODE       VARCHAR(14),",
    "NAZWA         VARCHAR(24),",
    "NR_VAT        INTEGER,",
    "STAWKA_VAT    NUMERIC(5,2),",
    "ILOSC         NUMERIC(15,4),",
    "WARTOSC       NUMERIC(15,4),",
    "CENA          NUMERIC(15,4),",
    "UPUST         NUMERIC(15,4),",
    "KASA          INTEGER,",
    "KASJER        VARCHAR(24) COLLATE PXW_PLK,",
    "JP1           VARCHAR(24) COLLATE PXW_PLK,",
    "KWOTA1        NUMERIC(15,4),",
    "JP2           VARCHAR(24) COLLATE PXW_PLK,",
    "KWOTA2        NUMERIC(15,4),",
    "KOMPLET       SMALLINT,",
    "CONSTRAINT PARAGONY PRIMARY KEY(ID)",
    ");",
};

constexpr const char* kParagonyIdx[] = {
    "CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO);",
    "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET);",
    "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);",
    "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT);",
    "",
};

constexpr const char* kGenComDef[] = {
    "CREATE GENERATOR G_ID_COM_DEF;",
    "SET GENERATOR G_ID_COM_DEF TO -1;",
};

constexpr const char* kGenOdczyt[] = {
    "CREATE GENERATOR G_ID_ODCZYT;",
    "SET GENERATOR G_ID_ODCZYT TO -1;",
};

constexpr const char* kGenParagony[] = {
    "CREATE GENERATOR G_ID_PARAGONY;",
    "SET GENERATOR G_ID_PARAGONY TO -1;",
};

constexpr const char* kTriComDef[] = {
    "CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF",
    "ACTIVE BEFORE INSERT POSITION 0",
    "AS",
    "BEGIN NEW.ID = GEN_ID(G_ID_COM_DEF, 1); END",
    "",
};

constexpr const char* kTriHistPar[] = {
    "CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR",
    "ACTIVE BEFORE INSERT",
    "POSITION 0",
    "AS",
    "BEGIN",
    "  NEW.ID = GEN_ID(G_ID_PARAGONY, 1);",
    "  NEW.DATA_WPISU = current_timestamp;\t",
    "END;",
};

constexpr const char* kTriOdczyt[] = {
    "CREATE TRIGGER TRI_ODCZYT FOR ODCZYT",
    "ACTIVE BEFORE INSERT",
    "POSITION 0",
    "AS",
    "BEGIN",
    "  NEW.ID = GEN_ID(G_ID_ODCZYT, 1);",
    "  NEW.DATA = current_timestamp;\t",
    "END;",
};

constexpr const char* kTriParagony[] = {
    "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY",
    "ACTIVE BEFORE INSERT POSITION 0",
    "AS",
    "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END",
    "",
};

// Comparison of the receipts with the register's sales booked in the
// trading program, one row per day, for one warehouse, direction, sales
// register and contractor.
constexpr const char* kVyrPor1[] = {
    "CREATE PROCEDURE P_VYR_POR_1_XXXX(rokmc Varchar(7),magazyn Varchar(3), kierunek "
    "Varchar(3),rejestr Integer,kod Integer, pdatap date, pdatak date )",
    "returns ( data date, bruttop numeric(15,2), bruttom numeric(15,2),bruttor numeric(15,2),",
    "iloscp numeric(13,3), iloscm numeric(13,3), iloscr numeric(13,3))",
    "AS",
    "BEGIN",
    "  data = pdatap;",
    "  while (data <= pdatak) do",
    "  begin",
    "    SELECT SUM(WARTOSC), sum(ilosc) FROM PARAGONY",
    "    where data=:data and ( (komplet is null) or (komplet=1) )",
    "    and ((storno is null) or (STORNO=0)) and opak=0",
    "    into :bruttop, :iloscp;",
    "    rokmc = cast(extract( year from :data) as varchar(4))||'.'||lpad(extract( month from "
    ":data),2,'0');",
    "    select sum(wart_brutto), sum(ilosc) from MagaXXXX",
    "    where rokmc=:rokmc and typm=1 and magazyn=:magazyn and kierunek=:kierunek and "
    "rej=:rejestr",
    "    and kod=:kod and data_dwp=:data and fano=90 and numfak like 'SP%.%' into :bruttom, "
    ":iloscm;",
    "    if (bruttop is null) then bruttop = 0;",
    "    if (iloscp is null) then iloscp = 0;",
    "    if (bruttom is null) then bruttom = 0;",
    "    if (iloscm is null) then iloscm = 0;",
    "    bruttor = bruttop - bruttom;",
    "    iloscr = iloscp - iloscm;",
    "    if ((bruttop <> 0) or (iloscp <> 0) or (bruttom <> 0) or (iloscm <> 0)) then",
    "      suspend;",
    "    data = data + 1;",
    "  end",
    "END",
    "",
};

// Receipts whose line values do not add up to the amount paid (all receipts
// when tylkor is 0).
constexpr const char* kVyrPor2[] = {
    "CREATE PROCEDURE P_VYR_POR_2(pdatap date, pdatak date, tylkor Integer )",
    ("returns ( data date, datasprz TimeStamp, czas time, kasa Integer, numer Integer,  sumapoz "
     "numeric(15,2), dozap numeric(15,2),r numeric(15,2))"),
    "AS",
    "BEGIN",
    "  for select distinct data,datasprz,kasa,numer,kwota1-kwota2",
    "  from paragony where storno=0 and data between :pdatap and :pdatak",
    "  into :data, :datasprz, :kasa, :numer, :dozap",
    "  do",
    "  begin",
    "    czas = cast(datasprz as time);",
    "    select sum(wartosc) from paragony",
    "    where datasprz=:datasprz and kasa=:kasa and numer=:numer and storno=0",
    "    into :sumapoz;",
    "    r = sumapoz - dozap;",
    "    if ((tylkor = 0) or (r <> 0)) then",
    "      suspend;",
    "  end",
    "END",
    "",
};

// The same comparison over all registers, against every register sale of
// the year's warehouse table.
constexpr const char* kVyrPor[] = {
    "CREATE PROCEDURE P_VYR_POR2009(pdatap date, pdatak date )",
    "returns ( data date, bruttop numeric(15,2), bruttom numeric(15,2),bruttor numeric(15,2),",
    "iloscp numeric(13,3), iloscm numeric(13,3), iloscr numeric(13,3))",
    "AS",
    "BEGIN",
    "  data = pdatap;",
    "  while (data <= pdatak) do",
    "  begin",
    "    SELECT SUM(WARTOSC), sum(ilosc) FROM PARAGONY",
    "    where data=:data and ( (komplet is null) or (komplet=1) )",
    "    and ((storno is null) or (STORNO=0))",
    "    into :bruttop, :iloscp;",
    "    select sum(wart_brutto), sum(ilosc) from Maga2009",
    "    where data_dwp=:data and fano=90 and numfak like 'SP%.%' into :bruttom, :iloscm;",
    "    if (bruttop is null) then bruttop = 0;",
    "    if (iloscp is null) then iloscp = 0;",
    "    if (bruttom is null) then bruttom = 0;",
    "    if (iloscm is null) then iloscm = 0;",
    "    bruttor = bruttop - bruttom;",
    "    iloscr = iloscp - iloscm;",
    "    if ((bruttop <> 0) or (iloscp <> 0) or (bruttom <> 0) or (iloscm <> 0)) then",
    "      suspend;",
    "    data = data + 1;",
    "  end",
    "END",
    "",
};

// Sales per day and register: total, number of receipts, first and last.
constexpr const char* kVyrStatystyka[] = {
    "CREATE PROCEDURE P_VYR_STATYSTYKA(pdatap date, pdatak date)",
    ("returns ( data date, kasa Integer, brutto numeric(15,2), poczatek TimeStamp, koniec "
     "TimeStamp,"),
    "numer_p Integer, numer_k Integer, ilePar Integer)",
    "AS",
    "BEGIN",
    "  FOR SELECT DATA,KASA, SUM(WARTOSC) FROM PARAGONY where data>=:pdatap and data<=:pdatak",
    "  and (komplet=1) and (STORNO=0) and (opak=0) GROUP BY DATA, KASA",
    "  INTO :data, :kasa, :brutto",
    "  DO",
    "  BEGIN",
    "    select count(*) from (select distinct datasprz, numer from paragony",
    "    where data=:data and kasa=:kasa and komplet=1 and storno=0)",
    "    into :ilePar;",
    "    select numer, datasprz from paragony",
    "    where data=:data and kasa=:kasa and komplet=1 and storno=0",
    "    order by datasprz rows 1",
    "    into :numer_p, :poczatek;",
    "    select numer, datasprz from paragony",
    "    where data=:data and kasa=:kasa and komplet=1 and storno=0",
    "    order by datasprz DESCENDING rows 1",
    "    into :numer_k, :koniec;",
    "    suspend;",
    "  END",
    "END",
    "",
};

// The lowest register code from 1 to MAXKOD that no good of the year's
// goods table holds (codes are compared as 5-character right-aligned
// texts); -1 when every one is taken.
constexpr const char* kWolnyKod[] = {
    "CREATE PROCEDURE P_WOLNYKOD2009(MAXKOD   Integer)",
    "RETURNS(KOD   Integer)",
    "AS",
    "  DECLARE VARIABLE i Integer;",
    "  DECLARE VARIABLE cKod Varchar(5);",
    "BEGIN",
    "  KOD = -1;",
    "  i = 1;",
    "  while (i <= MAXKOD) do",
    "  begin",
    "    cKod = i;",
    "    cKod = LPad(cKod,5,' ');",
    "    if (not Exists(select kod_kasa from Kartas2009 where kod_kasa = :cKod))",
    "    then begin",
    "      KOD = i;",
    "      exit;",
    "    end",
    "    i = i + 1;",
    "  end",
    "END",
    "",
};

// Books the complete, valid goods lines of one read as one WZ document:
// one warehouse row and one stock-card update per good, price and
// discount, and one sales-register row with the totals by VAT rate.
constexpr const char* kZapiszWzKasy[] = {
    "CREATE PROCEDURE P_ZAPISZ_WZ_KASY2009 (",
    "prokmc varchar(7),",
    "pmagazyn varchar(3),",
    "pkierunek varchar(3),",
    "prej integer,",
    "pkod integer,",
    "podczyt varchar(20),",
    "pnumfak varchar(20),",
    "pdata_faktury date)",
    "returns ( numer_paczki integer, ilepozfa integer)",
    "AS",
    "declare variable lp_rej integer;",
    "declare variable jakplaci integer;",
    "declare variable typp integer;",
    "declare variable typasort integer;",
    "declare variable nrceny varchar(2);",
    "declare variable asort varchar(20);",
    "declare variable jm varchar(3);",
    "declare variable grupa_as varchar(3);",
    "declare variable ilosc numeric(13,3);",
    "declare variable cena numeric(12,4);",
    "declare variable cena_netto numeric(12,4);",
    "declare variable cena_upust numeric(12,4);",
    "declare variable cena_brutto numeric(12,4);",
    "declare variable wartosc numeric(12,2);",
    "declare variable podatek numeric(12,2);",
    "declare variable wart_brutto numeric(12,2);",
    "declare variable procent_upustu numeric(12,2);",
    "declare variable kwota_upustu numeric(12,2);",
    "declare variable kod_vat varchar(2);",
    "declare variable stawka_vat numeric(6,2);",
    "declare variable w23 numeric(12,2);",
    "declare variable w22 numeric(12,2);",
    "declare variable w08 numeric(12,2);",
    "declare variable w07 numeric(12,2);",
    "declare variable w05 numeric(12,2);",
    "declare variable w03 numeric(12,2);",
    "declare variable w00 numeric(12,2);",
    "declare variable wzw numeric(12,2);",
    "declare variable wnp numeric(12,2);",
    "declare variable v23 numeric(12,2);",
    "declare variable v22 numeric(12,2);",
    "declare variable v08 numeric(12,2);",
    "declare variable v07 numeric(12,2);",
    "declare variable v05 numeric(12,2);",
    "declare variable v03 numeric(12,2);",
    "declare variable kaucja numeric(12,2);",
    "declare variable supust numeric(12,2);",
    "declare variable mwart numeric(12,2);",
    "declare variable netto numeric(12,2);",
    "declare variable brutto numeric(12,2);",
    "BEGIN",
    "   NUMER_PACZKI=GEN_ID(GEN_KLUCZYK,1);",
    "",
    "   SELECT JAKPLACI,NRCENY FROM KARTOD WHERE KOD=:PKOD INTO JAKPLACI,NRCENY;",
    "   IF (JAKPLACI IS NULL) THEN JAKPLACI=1;",
    "   IF (NRCENY IS NULL) THEN NRCENY='1';",
    "",
    "   ILEPOZFA=0;",
    "   SUPUST=0;",
    "   MWART=0;",
    "   KAUCJA=0;",
    "   W23=0;",
    "   W22=0;",
    "   W08=0;",
    "   W07=0;",
    "   W05=0;",
    "   W03=0;",
    "   W00=0;",
    "   WZW=0;",
    "   WNP=0;",
    "   V23=0;",
    "   V22=0;",
    "   V08=0;",
    "   V07=0;",
    "   V05=0;",
    "   V03=0;",
    "",
    "   FOR SELECT ASORT,CENA,UPUST,SUM(WARTOSC),SUM(ILOSC)",
    "   FROM PARAGONY WHERE DATA=:PDATA_FAKTURY and ODCZYT = :PODCZYT and (STORNO=0) and "
    "(komplet=1) and opak=0",
    "   GROUP BY ASORT,CENA,UPUST",
    "   INTO ASORT,CENA,PROCENT_UPUSTU,WART_BRUTTO,ILOSC",
    "   DO",
    "   BEGIN",
    "     SELECT GRUPA,JM,KOD_VAT,STAWKA_VAT,TYPASORT FROM KARTAS2009 WHERE ASORT=:ASORT INTO",
    "       GRUPA_AS,JM,KOD_VAT,STAWKA_VAT,TYPP;",
    "     ILEPOZFA=ILEPOZFA+1;",
    "",
    "     IF (PROCENT_UPUSTU IS NULL) THEN PROCENT_UPUSTU=0;",
    "     CENA_UPUST=CENA-CENA*PROCENT_UPUSTU/100.00;",
    "     CENA_UPUST=I64ROUND(100.00*CENA_UPUST)/100.00;",
    "     IF (CENA_UPUST=0) THEN CENA_UPUST=CENA;",
    "     KWOTA_UPUSTU=(CENA-CENA_UPUST)*ILOSC;",
    "     KWOTA_UPUSTU=I64ROUND(100.00*KWOTA_UPUSTU)/100.00;",
    "",
    "     CENA_BRUTTO=CENA_UPUST;",
    "     CENA_NETTO=CENA_UPUST;",
    "     WARTOSC=WART_BRUTTO;",
    "     PODATEK=0;",
    "     IF (STAWKA_VAT>0) THEN",
    "     BEGIN",
    "       CENA_NETTO=CENA_UPUST/(100.00+STAWKA_VAT)*100.00;",
    "       CENA_NETTO=I64ROUND(100.00*CENA_NETTO)/100.00;",
    "       PODATEK=WART_BRUTTO-WART_BRUTTO*100.00/(STAWKA_VAT+100.00);",
    "       PODATEK=I64ROUND(100.00*PODATEK)/100.00;",
    "       WARTOSC=WART_BRUTTO-PODATEK;",
    "       WARTOSC=I64ROUND(100.00*WARTOSC)/100.00;",
    "     END",
    "",
    "     IF (TYPP=1) THEN",
    "       KAUCJA=KAUCJA+WART_BRUTTO;",
    "     ELSE",
    "     BEGIN",
    "       IF (KOD_VAT='22') THEN W22=W22+WART_BRUTTO;",
    "       IF (KOD_VAT='23') THEN W23=W23+WART_BRUTTO;",
    "       IF (KOD_VAT='08') THEN W08=W08+WART_BRUTTO;",
    "       IF (KOD_VAT='07') THEN W07=W07+WART_BRUTTO;",
    "       IF (KOD_VAT='05') THEN W05=W05+WART_BRUTTO;",
    "       IF (KOD_VAT='03') THEN W03=W03+WART_BRUTTO;",
    "       IF (KOD_VAT='00') THEN W00=W00+WART_BRUTTO;",
    "       IF (KOD_VAT='ZW') THEN WZW=WZW+WART_BRUTTO;",
    "       IF (KOD_VAT='NP') THEN WNP=WNP+WART_BRUTTO;",
    "       SUPUST=SUPUST+KWOTA_UPUSTU;",
    "       MWART=MWART+WART_BRUTTO;",
    "     END",
    "",
    "     INSERT INTO MAGA2009 (NR_PACZKI,ROKMC,TYPZ,TYPS,TYPM,TYPP,REJ,KOD,PLATNIK,TRASA,"
    "TRASA_LOG,ROBR,MAGAZYN,KIERUNEK,ASORT,JM,OBCY_ASORT,GRUPA_AS,BYLO,PN,ILOSC,ILOSC2,ILOSC3,"
    "KLUCZYK,KOD_OPAK,IL_OPAK,NRCENY,CENA,CENA2,CENA_UPUST,CENA_NETTO,CENA_BRUTTO,CENA_EWID,"
    "CENA_ZAKUPU,CENA_ZAK2,PROCENT_UPUSTU,KWOTA_UPUSTU,WARTOSC,WART_BRUTTO,PODATEK,WART_ZAK,"
    "CZYZVAT,PARTIA,NUMFAK,NR_DOK,NR_ZAMOW,NR_ZAMOBCE,NUMPOFAK,RODZ_DOK,KOMPUTER,OPERATOR,"
    "JAKPLACI,FV,FANO,RF,STATUS_UE,WSK,DATA_FAKTURY,DATA_DWP,DATA_FAKOR,TERM_ZAPL,DATA_WPLYWU,"
    "DATA_WPISU,DATA_PART,DATA_WAZNOSCI,DATA_POP,RC,Cena_Waluta,Cena_wal,Kurs,Wart_Waluta,"
    "Netto_waluta,Vat_Waluta,SYM_WAL,STAWKA_VAT,KOD_VAT,LP,OPIS,TYPASORT,K_TYG_N,K_TYG_B)",
    "     VALUES (:NUMER_PACZKI,:PROKMC,0,1,1,:TYPP,:PREJ,:PKOD,0,0,"
    "0,2,:PMAGAZYN,:PKIERUNEK,:ASORT,:JM,'',:GRUPA_AS,1,0,:ILOSC,0,0,"
    "0,'',0,:NRCENY,:CENA,0,:CENA_UPUST,:CENA_NETTO,:CENA_BRUTTO,0,"
    "0,0,:PROCENT_UPUSTU,:KWOTA_UPUSTU,:WARTOSC,:WART_BRUTTO,:PODATEK,0,"
    "1,'',:PNUMFAK,'','','','','WZ',333,CURRENT_USER,"
    ":JAKPLACI,9,90,9,0,0,:PDATA_FAKTURY,:PDATA_FAKTURY,:PDATA_FAKTURY,:PDATA_FAKTURY,"
    ":PDATA_FAKTURY,"
    "CURRENT_TIMESTAMP,:PDATA_FAKTURY,:PDATA_FAKTURY,:PDATA_FAKTURY,0,0,0,0,0,"
    "0,0,'PLN',:STAWKA_VAT,:KOD_VAT,:ILEPOZFA,'',:TYPP,0,0);",
    "",
    "     EXECUTE PROCEDURE P_AKTUKAMA2009 "
    "PROKMC,1,PMAGAZYN,ASORT,'P',PDATA_FAKTURY,CENA_NETTO,0,0,ILOSC,0,0,GRUPA_AS,JM,2,0,'';",
    "   END",
    "",
    "   IF(ILEPOZFA=0) THEN EXIT;",
    "",
    "   V23=(W23*23.00/123.00)*100.00;",
    "   V23=I64ROUND(V23)/100.00;",
    "   W23=W23-V23;",
    "   V22=(W22*22.00/122.00)*100.00;",
    "   V22=I64ROUND(V22)/100.00;",
    "   W22=W22-V22;",
    "   V08=(W08*8.00/108.00)*100.00;",
    "   V08=I64ROUND(V08)/100.00;",
    "   W08=W08-V08;",
    "   V07=(W07*7.00/107.00)*100.00;",
    "   V07=I64ROUND(V07)/100.00;",
    "   W07=W07-V07;",
    "   V05=(W05*5.00/105.00)*100.00;",
    "   V05=I64ROUND(V05)/100.00;",
    "   W05=W05-V05;",
    "   V03=(W03*3.00/103.00)*100.00;",
    "   V03=I64ROUND(V03)/100.00;",
    "   W03=W03-V03;",
    "",
    "   BRUTTO=MWART;PODATEK=V23+V22+V08+V07+V05+V03;NETTO=BRUTTO-PODATEK;",
    "",
    "   SELECT MAX(LP_REJ) FROM REJSPRZ WHERE ROKMC=:PROKMC AND REJ=:PREJ AND ROBR=9 INTO LP_REJ;",
    "   IF (LP_REJ IS NULL) THEN LP_REJ=0;",
    "   LP_REJ=LP_REJ+1;",
    "",
    "   INSERT INTO REJSPRZ (NR_PACZKI,ROKMC,REJ,LP_REJ,KOD,PLATNIK,TRASA,TRASA_LOG,ROBR,NUMFAK,"
    "NUMPOFAK,NR_DOK,NR_ZAMOW,NR_ZAMOBCE,DATA_FAKTURY,DATA_WPLYWU,DATA_DWP,DATA_FAKOR,"
    "DATA_WPISU,TERM_ZAPL,DATA_POP,WARTOSC,NETTO,PODATEK,KAUCJA,ZRODLO,WAR_23,VAT_23,WAR_22,"
    "VAT_22,WAR_08,VAT_08,WAR_07,VAT_07,WAR_05,VAT_05,WAR_03,VAT_03,WAR_00,WAR_ZW,WAR_NP,"
    "TRANSPORT,VAT_TRANSPORT,KWOTA_UPUSTU,KOMPUTER,OPERATOR,JAKPLACI,FV,FANO,RF,STATUS_UE,WSK,"
    "SR_TRANS,TRESC,WYBOR,Ksiegowane,ANUL,RC,WSK_DEKR,DO_OPODAT,WART_WALUTA,VAT_WALUTA,"
    "NETTO_WALUTA,KURS)",
    "   VALUES (:NUMER_PACZKI,:PROKMC,:PREJ,:LP_REJ,:PKOD,0,0,0,9,:PNUMFAK,"
    "'','','','',:PDATA_FAKTURY,:PDATA_FAKTURY,:PDATA_FAKTURY,:PDATA_FAKTURY,"
    "CURRENT_TIMESTAMP,:PDATA_FAKTURY,:PDATA_FAKTURY,:BRUTTO,:NETTO,:PODATEK,:KAUCJA,0,:W23,:V23,"
    ":W22,"
    ":V22,:W08,:V08,:W07,:V07,:W05,:V05,:W03,:V03,:W00,:WZW,:WNP,"
    "0,0,:SUPUST,333,CURRENT_USER,:JAKPLACI,9,90,9,0,0,"
    "'','',0,'',0,0,0,0,0,0,"
    "0,0);",
    "END",
    "",
};

struct NamedScript {
    std::string_view name;
    std::span<const char* const> lines;
};

// The order of this table is the order of ListaObiektow.
const std::array<NamedScript, 19> kScripts = {{
    {"C_COM_DEF", kComDef},
    {"C_HIST_PAR", kHistPar},
    {"C_ODCZYT", kOdczyt},
    {"C_ODCZYT_IDX", kOdczytIdx},
    {"C_PARAGONY", kParagony},
    {"C_PARAGONY_IDX", kParagonyIdx},
    {"G_ID_COM_DEF", kGenComDef},
    {"G_ID_ODCZYT", kGenOdczyt},
    {"G_ID_PARAGONY", kGenParagony},
    {"TRI_COM_DEF", kTriComDef},
    {"TRI_HIST_PAR", kTriHistPar},
    {"TRI_ODCZYT", kTriOdczyt},
    {"TRI_PARAGONY", kTriParagony},
    {"P_VYR_POR_1_XXXX", kVyrPor1},
    {"P_VYR_POR_2", kVyrPor2},
    {"P_VYR_POR2009", kVyrPor},
    {"P_VYR_STATYSTYKA", kVyrStatystyka},
    {"P_WOLNYKOD2009", kWolnyKod},
    {"P_ZAPISZ_WZ_KASY2009", kZapiszWzKasy},
}};

}  // namespace

std::vector<std::string> Skrypt(std::string_view name) {
    for (const NamedScript& script : kScripts) {
        if (script.name == name) return {script.lines.begin(), script.lines.end()};
    }
    return {};
}

std::vector<std::string> ListaObiektow() {
    std::vector<std::string> names;
    names.reserve(kScripts.size());
    for (const NamedScript& script : kScripts) names.emplace_back(script.name);
    return names;
}

}  // namespace rubso
