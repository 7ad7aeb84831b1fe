#pragma once
// The main window's maintenance commands: backup and restore of the database
// file through their file dialogs, database clearing and the point reset.
// Each tells its outcome itself; other failures go on to the caller's guard.

class QWidget;
class TData;

/// "Backup Database": dgBackup proposes a name of today; the open database
/// is copied to a new file of that name.
void actBackUpExecute(TData &data, QWidget *parent);
/// "Restore Database": dgRestore picks a backup, which takes the place of
/// "DB2.mdb" in the program folder; the program stays disconnected.
void actRestoreExecute(TData &data, QWidget *parent);
/// "Clear Database": the options dialog, then the ticked tasks.
void actClearBDExecute(TData &data, QWidget *parent);
/// "Clear Points": every customer's points to zero after asking.
void actClearPointsExecute(TData &data);
