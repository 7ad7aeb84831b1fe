#include "LookupIndex_p.h"

#include "KeyText.h"
#include "Storage_p.h"

#include <algorithm>
#include <cmath>

namespace db {

QString keyText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("\x01");
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeToStorage(value.toDateTime());
    case QMetaType::QDate:
        return dateTimeToStorage(wallClock(value.toDate()));
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::fabs(d) < 1e15 && d == std::trunc(d))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return value.toString();
    }
}

QString compositeKey(const QVariantList &values)
{
    QString key;
    for (const QVariant &value : values)
        key += keyText(value) + u'\x1f';
    return key;
}

namespace {
QVariantList keysOf(int row, int keyCount, const KeyReader &read)
{
    QVariantList keys;
    for (int k = 0; k < keyCount; ++k)
        keys << read(row, k);
    return keys;
}
} // namespace

LookupIndex::LookupIndex(int rowCount, int keyCount, const KeyReader &read, const std::function<bool(int)> &skip)
{
    m_rows.reserve(rowCount);
    for (int row = 0; row < rowCount; ++row) {
        if (skip(row))
            continue;
        const QString key = compositeKey(keysOf(row, keyCount, read));
        if (!m_rows.contains(key))
            m_rows.insert(key, row);
    }
}

int LookupIndex::find(const QVariantList &keys) const
{
    return m_rows.value(compositeKey(keys), -1);
}

int Lookups::find(const QStringList &keyFields, const QVariantList &keys, int rowCount,
                  const std::function<KeyReader()> &reader, const std::function<bool(int)> &skip)
{
    const QString name = keyFields.join(u'\x1f').toLower();
    auto index = m_indexes.constFind(name);
    if (index == m_indexes.constEnd())
        index = m_indexes.insert(name, std::make_shared<const LookupIndex>(rowCount, int(keyFields.size()), reader(), skip));
    return (*index)->find(keys);
}

void Lookups::link(Lookups &user, Dataset *userDataset, Lookups &source, Dataset *sourceDataset)
{
    if (sourceDataset == userDataset || std::find(user.m_sources.begin(), user.m_sources.end(), sourceDataset) != user.m_sources.end())
        return;
    user.m_sources.push_back(sourceDataset);
    source.m_users.push_back(userDataset);
}

int firstMatch(int rowCount, int keyCount, const KeyReader &read, const QVariantList &wanted, LocateOptions options)
{
    const Qt::CaseSensitivity cs =
        options.testFlag(LocateOption::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const auto matches = [&](const QVariant &value, const QVariant &want) {
        const bool isNull = !value.isValid() || value.isNull();
        if (value.typeId() != QMetaType::QString && want.typeId() != QMetaType::QString)
            return keyText(value) == keyText(want);
        if (!want.isValid() || want.isNull())
            return isNull;
        const QString a = value.toString(), b = want.toString();
        return options.testFlag(LocateOption::PartialKey) ? a.startsWith(b, cs) : a.compare(b, cs) == 0;
    };
    for (int row = 0; row < rowCount; ++row) {
        bool match = true;
        for (int k = 0; k < keyCount && match; ++k)
            match = matches(read(row, k), wanted.value(k));
        if (match)
            return row;
    }
    return -1;
}

} // namespace db
