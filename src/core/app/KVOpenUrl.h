#pragma once
#include <QString>

class KVGlobal;

// Hands a web address to the desktop's service for opening addresses (the openUrl seam).
// An address that has no desktop form (empty), one that is not an http or https address, or
// one that nothing could open, raises "Not supported!". The flag is kept for the callers'
// sake; every caller passes false and it changes nothing.
void OpenWebAddress(const KVGlobal& g, const QString& address, bool external = false);
