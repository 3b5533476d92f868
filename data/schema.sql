-- The database installed with the program. The program itself creates only the table settings.
-- Keys always grow (AUTOINCREMENT): the newest row is found as the largest key.
PRAGMA foreign_keys = OFF;
BEGIN;

CREATE TABLE TipologiaPersone (
    TIPOLOGIAID INTEGER PRIMARY KEY AUTOINCREMENT,
    Tipologia TEXT,
    DateTimeCreated TEXT,
    DateTimeLastUpdated TEXT
);

CREATE TABLE Anagrafica (
    ANAGRAFICAID INTEGER PRIMARY KEY AUTOINCREMENT,
    TIPOLOGIAID INTEGER,
    Nome TEXT,
    Cognome TEXT,
    Indirizzo TEXT,
    CAP TEXT,
    Comune TEXT,
    Provincia TEXT,
    TelefonoCasa TEXT,
    TelefonoUfficio TEXT,
    Fax TEXT,
    Cellulare TEXT,
    CFIva TEXT,
    Email TEXT,
    SitoWeb TEXT,
    NoteAnagrafica TEXT,
    NumeroTessera TEXT,
    DataNascita TEXT,
    DataIscrizione TEXT,
    DataScadenzaIscrizione TEXT,
    DateTimeCreated TEXT,
    DateTimeLastUpdated TEXT
);
CREATE INDEX idx_anagrafica_tipologia ON Anagrafica (TIPOLOGIAID);
CREATE INDEX idx_anagrafica_tessera ON Anagrafica (NumeroTessera);

CREATE TABLE Pagamenti (
    PagamentiID INTEGER PRIMARY KEY AUTOINCREMENT,
    ANAGRAFICAID INTEGER,
    DataPagamento TEXT,
    Importo NUMERIC,
    Causale TEXT,
    NotePagamento TEXT,
    DateTimeCreated TEXT,
    DateTimeLastUpdated TEXT
);
CREATE INDEX idx_pagamenti_anagrafica ON Pagamenti (ANAGRAFICAID);

CREATE TABLE Girate (
    GIRATEID INTEGER PRIMARY KEY AUTOINCREMENT,
    PagamentiID INTEGER,
    ANAGRAFICAID INTEGER,
    GirataPiena INTEGER,
    DataGirata TEXT,
    DateTimeCreated TEXT,
    notegirata TEXT
);
CREATE INDEX idx_girate_pagamenti ON Girate (PagamentiID);

CREATE TABLE MieiContiCorrenti (
    CONTOCORRENTEID INTEGER PRIMARY KEY AUTOINCREMENT,
    Descrizione TEXT,
    Banca TEXT,
    ABI TEXT,
    CAB TEXT,
    NumeroConto TEXT,
    Intestatari TEXT,
    DateTimeCreated TEXT,
    DateTimeLastUpdated TEXT
);

CREATE TABLE Versamenti (
    VERSAMENTIID INTEGER PRIMARY KEY AUTOINCREMENT,
    PagamentiID INTEGER,
    CONTOCORRENTEID INTEGER,
    DataVersamento TEXT,
    noteversamento TEXT,
    DateTimeCreated TEXT
);
CREATE INDEX idx_versamenti_pagamenti ON Versamenti (PagamentiID);
CREATE INDEX idx_versamenti_conto ON Versamenti (CONTOCORRENTEID);

CREATE TABLE AssegniEmessi (
    ASSEGNIEMESSIID INTEGER PRIMARY KEY AUTOINCREMENT,
    CONTOCORRENTEID INTEGER,
    ANAGRAFICAID INTEGER,
    Numero TEXT,
    DataAssegno TEXT,
    LuogoEmissione TEXT,
    SuPiazza INTEGER,
    Trasferibile INTEGER,
    Sbarrato INTEGER,
    Importo NUMERIC,
    Causale TEXT,
    AssegnoNote TEXT,
    DateTimeCreated TEXT,
    DateTimeLastUpdated TEXT
);
CREATE INDEX idx_assegni_conto ON AssegniEmessi (CONTOCORRENTEID);

-- Report definitions: one row per report, inserted by the lines of nuovireport.sql. The order
-- number is the key, so a line that was applied at an earlier start is refused, not doubled.
CREATE TABLE reportistica (
    ordine INTEGER PRIMARY KEY,
    sqlreport TEXT,
    titolo TEXT,
    numparametri INTEGER,
    tipopar1 TEXT,
    tipopar2 TEXT,
    promptpar1 TEXT,
    promptpar2 TEXT
);

COMMIT;
