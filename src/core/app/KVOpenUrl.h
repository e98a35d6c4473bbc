#pragma once
#include <QString>

class KVGlobal;

// Hands a web address to the desktop's service for opening addresses. An address that has no
// desktop form (empty), or one that nothing could open, raises "Not supported!".
void OpenWebAddress(const KVGlobal& g, const QString& address, bool external = false);
