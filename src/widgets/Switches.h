#pragma once
// The command-line switches: process-wide flags, all false at start, set once
// while the main window is created and read-only afterwards. Header-only so
// that every window folder can read them without linking the application.

#include <QStringList>

struct SwitchFlags
{
    bool scaleDialogs = false;  ///< "doformscale": the settings and clearing dialogs scale themselves
    bool debug = false;         ///< "debug": debug list and panel, the organization window's timer
    bool silentDelete = false;  ///< "hideimage": no tone before the delete-order confirmation
    bool resetPoints = false;   ///< "resetpoints": the points window offers "Reset Points"

    /// The flags the program arguments (without the program name) ask for:
    /// an argument whose lower-cased text equals a switch word sets its flag;
    /// anything else is ignored.
    static SwitchFlags fromArguments(const QStringList &arguments)
    {
        SwitchFlags flags;
        for (const QString &argument : arguments) {
            const QString word = argument.toLower();
            if (word == u"doformscale")
                flags.scaleDialogs = true;
            else if (word == u"debug")
                flags.debug = true;
            else if (word == u"hideimage")
                flags.silentDelete = true;
            else if (word == u"resetpoints")
                flags.resetPoints = true;
        }
        return flags;
    }
};

namespace switches_detail {
inline SwitchFlags current;
}

/// The flags of this run.
inline const SwitchFlags &Switches()
{
    return switches_detail::current;
}

/// Only the main window's creation sets the flags.
inline void SetSwitches(const SwitchFlags &flags)
{
    switches_detail::current = flags;
}
