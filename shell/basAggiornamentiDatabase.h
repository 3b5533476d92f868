#pragma once
#include <QString>

extern QString gAggiornamenti[31];
extern short gNumAggiornamenti;

void aggiungiAggiornamentoDatabase(const QString &sql);
void inizializzaAggiornamentiDatabase();
void AggiornaDatabase();
// Whether the database takes writes now. When it does not, one message says why, as far as the
// program can tell, and that the program goes on with what it can read.
bool databaseTakesWrites();
void AggiornaReportistica();
