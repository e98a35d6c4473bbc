#include "IniFile.h"

// Placeholder until the settings file lands: reads give defaults, writes are dropped.
IniFile::IniFile(QString path) : m_path(std::move(path)) {}
QString IniFile::ReadString(const QString&, const QString&, const QString& def) const { return def; }
int IniFile::ReadInteger(const QString&, const QString&, int def) const { return def; }
bool IniFile::ReadBool(const QString&, const QString&, bool def) const { return def; }
double IniFile::ReadFloat(const QString&, const QString&, double def) const { return def; }
void IniFile::WriteString(const QString&, const QString&, const QString&) {}
void IniFile::WriteInteger(const QString&, const QString&, int) {}
void IniFile::WriteBool(const QString&, const QString&, bool) {}
void IniFile::WriteFloat(const QString&, const QString&, double) {}
