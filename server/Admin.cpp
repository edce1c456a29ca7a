#include "Admin.h"

#include "PasswordHash.h"
#include "Store.h"
#include "md5.h"

#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

QString Help()
{
    return u"usage: talvik-server admin --data DIR COMMAND\n"
           "commands:\n"
           "  maintenance on|off          refuse logins while on (error 1000005)\n"
           "  minversion N                refuse clients whose message version is below N (1000006)\n"
           "  lock NAME | unlock NAME     refuse a member's logins (1000004)\n"
           "  moderator NAME on|off       let a member report chat-group members\n"
           "  password NAME NEWPASSWORD   set a member's password\n"
           "  notice TITLE CONTENT        add a notice; logged-in members get it at once\n"
           "  recommend ID on|off         list a question among the recommended ones\n"
           "  requests                    password help requests from the web site\n"
           "  status                      settings and counts\n"_s;
}

bool OnOff(const QString &word, bool &value)
{
    value = word == u"on"_s;
    return value || word == u"off"_s;
}

bool Done(bool found, const QString &what)
{
    Out() << (found ? u"ok\n"_s : u"no such "_s + what + u"\n"_s);
    return found;
}

// Runs one command; false when the command or its arguments are wrong or it found nothing.
bool Command(TStore &store, const QStringList &a)
{
    const QString command = a.value(0);
    bool on = false;
    if (command == u"maintenance"_s && a.size() == 2 && OnOff(a[1], on)) {
        store.SetSetting(u"maintenance"_s, on ? u"on"_s : u"off"_s);
        return Done(true, {});
    }
    if (command == u"minversion"_s && a.size() == 2) {
        bool ok = false;
        const int version = a[1].toInt(&ok);
        if (ok)
            store.SetSetting(u"min_version"_s, QString::number(version));
        return Done(ok, u"version"_s);
    }
    if ((command == u"lock"_s || command == u"unlock"_s) && a.size() == 2)
        return Done(store.SetLocked(a[1], command == u"lock"_s), u"member"_s);
    if (command == u"moderator"_s && a.size() == 3 && OnOff(a[2], on))
        return Done(store.SetModerator(a[1], on), u"member"_s);
    if (command == u"password"_s && a.size() == 3)
        return Done(store.SetPassHash(a[1], PasswordHash::Make(Md5Text(a[2], 16))), u"member"_s);
    if (command == u"notice"_s && a.size() == 3)
        return Done(store.AddNotice(a[1], a[2]) > 0, u"notice"_s);
    if (command == u"recommend"_s && a.size() == 3 && OnOff(a[2], on))
        return Done(store.SetRecommended(a[1].toLongLong(), on), u"question"_s);
    if (command == u"requests"_s && a.size() == 1) {
        for (const TPasswordRequest &r : store.PasswordRequests())
            Out() << r.Date << u"  "_s << r.UserName << u"  "_s << r.Email << u"\n"_s;
        return true;
    }
    if (command == u"status"_s && a.size() == 1) {
        Out() << u"maintenance "_s << store.Setting(u"maintenance"_s, u"off"_s) << u"\nminversion "_s
              << store.Setting(u"min_version"_s, u"0"_s) << u"\nquestions "_s << store.QuestionCount() << u"\n"_s;
        return true;
    }
    Out() << Help();
    return false;
}
} // namespace

int RunAdmin(const QStringList &arguments)
{
    QStringList rest = arguments;
    QString dataDir;
    const qsizetype at = rest.indexOf(u"--data"_s);
    if (at >= 0 && at + 1 < rest.size()) {
        dataDir = rest.at(at + 1);
        rest.remove(at, 2);
    }
    if (dataDir.isEmpty() || rest.isEmpty() || rest.first() == u"--help"_s) {
        Out() << Help();
        Out().flush();
        return dataDir.isEmpty() || rest.isEmpty() ? 2 : 0;
    }
    try {
        TStore store(dataDir);
        const bool ok = Command(store, rest);
        Out().flush();
        return ok ? 0 : 1;
    } catch (const std::exception &error) {
        Out().flush();
        std::fprintf(stderr, "talvik-server admin: %s\n", error.what());
        return 1;
    }
}
