#pragma once
#include <QString>

extern QString gAggiornamenti[31];
extern short gNumAggiornamenti;

void aggiungiAggiornamentoDatabase(const QString &sql);
void inizializzaAggiornamentiDatabase();
void AggiornaDatabase();
void AggiornaReportistica();
