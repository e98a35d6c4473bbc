#pragma once

class KVGlobal;
class Table;

// Row initialisation of the ticket table: every new bon row gets a fresh record identifier and
// no signatures.
void BonTableNewRecord(KVGlobal& g, Table& t);
