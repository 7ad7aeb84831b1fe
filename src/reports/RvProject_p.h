#pragma once
// rvProj, the data module's report project: read from the project file on
// the first run of a report and kept, a child of the data module, from then on.

#include "ReportProject_p.h"

#include <QObject>

class TData;

namespace reports {

class TRvProject : public QObject
{
    Q_OBJECT

public:
    TRvProject(ReportProject project, TData &data);

    const ReportProject &project() const { return m_project; }
    /// The PDF file the last run wrote to, proposed to the next.
    QString lastFileName;

    /// The data module's project, read on the first call. Throws
    /// db::DataError as ReportProject::load; nothing is kept then.
    static TRvProject &of(TData &data);

private:
    ReportProject m_project;
};

} // namespace reports
