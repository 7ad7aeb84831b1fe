#pragma once
// A file the program could not make, copy or replace, with the system's error
// number for the messages that show one.

#include "engine/Errors.h"

class FileError : public db::DataError
{
public:
    /// `errorNumber` is the system's (errno); 0 when the system did not fail
    /// but a file was refused, `text` then being the engine's words.
    FileError(int errorNumber, const QString &text) : db::DataError(text), m_errorNumber(errorNumber) {}
    int errorNumber() const { return m_errorNumber; }

private:
    int m_errorNumber;
};
