#pragma once

class KVGlobal;

// The local tables of the synchronisation, which only this device reads: the records waiting to
// be sent to other units (outbox), the conflict copies kept beside a record that another unit
// changed as well (conflicts), and the last exchange and the last error (syncstatus). Nothing of
// them travels, and older versions of the program leave them alone.
//
//   outbox      rec (kind code ':' id, the entry's key), kind, id, source (the local row whose
//               values are sent under id), units (the target units still to receive it, e.g.
//               "0,2"), attempts, lasterror, queued, sent (times), settle
//   conflicts   kind, copy (the copy's id), record (the id it is a copy of), created
//   syncstatus  item ("ok", "error"), moment, detail
//
// Added when missing, in one transaction; the entries' order is their rowid.
void AddSyncTables(KVGlobal& g);
