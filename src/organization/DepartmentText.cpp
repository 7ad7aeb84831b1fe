#include "DepartmentText.h"

#include "DepNumbers.h"
#include "Department.h"

namespace departmenttext {

namespace {

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\n':
            result += QLatin1String("\\n");
            break;
        case u'\r':
            result += QLatin1String("\\r");
            break;
        case u'\t':
            result += QLatin1String("\\t");
            break;
        default:
            result += c;
        }
    }
    return result;
}

} // namespace

QString header(bool detail)
{
    QString text = QStringLiteral("Level\tId\tName\tPersonalPoints\tGroupPoints\tStatus\tBonus\tReserve");
    if (detail)
        text += QLatin1String("\tDetail");
    return text;
}

QString line(const Department &department, const TDepMember &m, bool detail)
{
    const QChar tab = u'\t';
    QString text = QString::number(m.Level) + tab + escaped(m.Id) + tab + escaped(m.Name) + tab
                   + depnumbers::general(m.PersonalPoints) + tab + depnumbers::general(m.GroupPoints) + tab
                   + QString::number(int(m.Status)) + tab + depnumbers::general(m.Bonus) + tab
                   + depnumbers::general(m.Reserve);
    if (detail)
        text += tab + escaped(department.Detail(m));
    return text;
}

QString table(const Department &department, bool detail)
{
    QString text = header(detail) + u'\n';
    for (const TDepMember &m : department.DepList())
        text += line(department, m, detail) + u'\n';
    return text;
}

} // namespace departmenttext
