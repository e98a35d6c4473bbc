#include "PartsLines.h"

#include "app/KVGlobal.h"

#include <cmath>

// ---- list view model ----------------------------------------------------------------------

int PartsLineModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant PartsLineModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const Item& it = m_items.at(index.row());
    switch (role) {
    case CaptionRole: return it.caption;
    case DescriptionRole: return it.description;
    case BadgeRole: return it.badge;
    default: return {};
    }
}

void PartsLineModel::Fill(const QList<Item>& items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}

void PartsLineModel::Append(const Item& item)
{
    beginInsertRows({}, count(), count());
    m_items.append(item);
    endInsertRows();
}

void PartsLineModel::RemoveAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows({}, index, index);
    m_items.removeAt(index);
    endRemoveRows();
}

PartsLineModel::Item PartsLineModel::ItemOf(const TOnderdeel& line)
{
    return {line.omschr, line.bestelnr, QString::number(line.aantal) + QStringLiteral(" x")};
}

// ---- parts lines --------------------------------------------------------------------------

namespace {
constexpr int kLines = 13;
}

QString PartsLines::Title(int list) const
{
    return m_g.Translate(list == 2 ? QStringLiteral("Benodigd") : QStringLiteral("Gebruikt"));
}

int PartsLines::Maximum(int list) const
{
    return list == 2 ? m_g.settings.inst.maxnodig : m_g.settings.inst.maxgebruikt;
}

TOnderdeel& PartsLines::line(int list, int index)
{
    // The ticket's arrays are numbered from 1, as the columns are.
    auto& lines = list == 2 ? m_g.bon.benodigd : m_g.bon.gebruikt;
    return lines[std::clamp(index, 0, kLines - 1) + 1];
}

int& PartsLines::count(int list)
{
    return list == 2 ? m_g.bon.numnodig : m_g.bon.numodd;
}

void PartsLines::FillPartsList(int list)
{
    m_g.CurrentList = list == 2 ? 2 : 1;
    QList<PartsLineModel::Item> items;
    const int n = std::clamp(count(m_g.CurrentList), 0, kLines);
    for (int i = 0; i < n; ++i)
        items << PartsLineModel::ItemOf(line(m_g.CurrentList, i));
    m_model.Fill(items);
}

bool PartsLines::AddLine()
{
    const int list = m_g.CurrentList;
    if (m_model.count() >= Maximum(list)) {
        m_g.seams.ShowMessage(m_g.Translate(list == 2 ? QStringLiteral("Maximum aantal benodigde onderdelen op kolvarn.")
                                                      : QStringLiteral("Maximum aantal gebruikte onderdelen op kolvarn.")));
        return false;
    }
    m_model.Append({});
    m_g.AddingLine[list] = true;
    m_g.LineIndex[list] = m_model.count() - 1;
    m_g.CatalogueMode = false;
    m_origin.reset();
    return true;
}

std::optional<PartForm> PartsLines::OpenLine(int index)
{
    const int list = m_g.CurrentList;
    if (index < 0 || index >= m_model.count())
        return std::nullopt;
    m_g.LineIndex[list] = index;
    const TOnderdeel& l = line(list, index);
    m_origin = Origin{l.bestelnr, l.omschr};
    return PartForm{l.bestelnr, l.omschr, double(l.aantal), l.prijs};
}

void PartsLines::DeleteLine(int index)
{
    const int list = m_g.CurrentList;
    if (index < 0 || index >= m_model.count())
        return;
    // Lines after the deleted one move up; the 13th keeps its content, beyond the count.
    for (int i = index; i < kLines - 1; ++i)
        line(list, i) = line(list, i + 1);
    m_model.RemoveAt(index);
}

void PartsLines::TakeCount()
{
    count(m_g.CurrentList) = m_model.count();
}

PartForm PartsLines::LoadFromCatalogue()
{
    m_origin.reset();
    return PartCatalogue::Load(m_g);
}

PartForm PartsLines::NewCataloguePart()
{
    m_origin.reset();
    return PartCatalogue::Add(m_g);
}

PartPageExit PartsLines::ConfirmPart(const PartForm& form)
{
    const int list = m_g.CurrentList;
    if (!m_g.CatalogueMode) {
        m_g.AddingLine[list] = false;
        TOnderdeel& l = line(list, m_g.LineIndex[list]);
        l.bestelnr = form.bestelnr;
        l.omschr = form.omschr;
        // std::nearbyint rounds halves to the even number in the default rounding mode.
        l.aantal = qint32(std::nearbyint(std::clamp(form.aantal, 0.0, PartCatalogue::MaxAantal)));
        l.prijs = form.prijs;
        count(list) = m_model.count();
        l.bedrag = l.aantal * l.prijs;
    }

    // The catalogue learns the part. A line opened from the list updates the part it came
    // from (or adds it), never whatever part the catalogue happens to be on.
    if (m_origin && !m_g.CatalogueMode) {
        if (PartCatalogue::StoreMatching(m_g, m_origin->bestelnr, m_origin->omschr, form))
            m_g.NewCataloguePart = false;
    } else {
        PartCatalogue::Store(m_g, form);
    }
    m_origin.reset();

    if (m_g.CatalogueMode)
        return PartPageExit::Catalogue;
    FillPartsList(list);
    return PartPageExit::PartsList;
}

void PartsLines::dropPendingLine()
{
    const int list = m_g.CurrentList;
    if (m_g.AddingLine[list]) {
        m_model.RemoveAt(m_model.count() - 1);
        m_g.AddingLine[list] = false;
    }
}

PartPageExit PartsLines::LeavePartPage()
{
    m_origin.reset();
    if (m_g.CatalogueMode)
        return PartPageExit::Catalogue;
    dropPendingLine();
    return PartPageExit::PartsList;
}

bool PartsLines::LeaveCatalogue()
{
    if (m_g.CatalogueMode) {
        m_g.CatalogueMode = false;
        return true;
    }
    dropPendingLine();
    return false;
}
