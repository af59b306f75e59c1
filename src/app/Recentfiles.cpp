#include "app/Recentfiles.h"

#include <QSettings>
#include <QStringList>
#include <algorithm>

#include "app/Settings.h"

namespace {
const char* Key = "Recent/files";
}  // namespace

std::vector<TRecentFiles::TEntry> TRecentFiles::Entries() const {
  const QSettings settings(Settings::Organisation, Settings::Application);
  std::vector<TEntry> entries;
  for (const QString& item : settings.value(Key).toStringList()) {
    const qsizetype tab = item.indexOf('\t');
    if (tab > 0 && tab + 1 < item.size())
      entries.push_back({item.left(tab).toStdString(), item.mid(tab + 1).toStdString()});
  }
  return entries;
}

void TRecentFiles::Store(const std::vector<TEntry>& entries) const {
  QStringList items;
  for (const TEntry& e : entries)
    items << QString::fromStdString(e.Kind) + '\t' + QString::fromStdString(e.Path);
  QSettings settings(Settings::Organisation, Settings::Application);
  settings.setValue(Key, items);
}

void TRecentFiles::Add(const std::string& kind, const std::string& path) {
  std::vector<TEntry> entries = Entries();
  std::erase_if(entries, [&](const TEntry& e) { return e.Path == path; });
  entries.insert(entries.begin(), TEntry{kind, path});
  if (entries.size() > MaxEntries) entries.resize(MaxEntries);
  Store(entries);
}

void TRecentFiles::Remove(const std::string& path) {
  std::vector<TEntry> entries = Entries();
  std::erase_if(entries, [&](const TEntry& e) { return e.Path == path; });
  Store(entries);
}

void TRecentFiles::Clear() {
  Store({});
}
