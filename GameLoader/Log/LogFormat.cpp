#include "Log/LogFormat.h"

#include <cstdio>
#include <cstring>

std::string FormatLogTimestamp(const LogTime& t)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d.%3d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.milliseconds);
    return buffer;
}

std::string LogBaseName(const std::string& sourcePath)
{
    const std::string::size_type slash = sourcePath.rfind('\\');
    if (slash == std::string::npos || slash == 0)
        return sourcePath;
    return sourcePath.substr(slash + 1);
}

std::string FormatLogLine(const LogTime& time, const std::string& sourcePath, int line,
                          const std::string& function, const std::string& message)
{
    std::string text = FormatLogTimestamp(time);
    text += " [";
    text += LogBaseName(sourcePath);
    text += '<';
    text += std::to_string(line);
    text += '>';
    text += function;
    text += "] : ";
    text += message;
    return text;
}

std::string LogFileName(const std::string& path, const LogTime& date)
{
    return path + "_" + std::to_string(date.year) + "_" + std::to_string(date.month) + "_" +
           std::to_string(date.day) + ".log";
}

std::string QualifiedFunctionName(const char* prettyFunction)
{
    std::string signature = prettyFunction ? prettyFunction : "";
    // A lambda logs under the function that holds it.
    const std::string::size_type lambda = signature.find("::<lambda");
    if (lambda != std::string::npos)
        signature.erase(lambda);
    // Helpers in an anonymous namespace log under their bare name.
    const std::string anonymous = "{anonymous}::";
    for (std::string::size_type at; (at = signature.find(anonymous)) != std::string::npos;)
        signature.erase(at, anonymous.size());
    // The parameter list is the last balanced "(...)" (a lambda or a
    // function-pointer return type may add earlier ones); the name stands
    // right before it.
    std::string::size_type end = signature.size();
    int depth = 0;
    std::string::size_type open = std::string::npos;
    for (std::string::size_type i = signature.size(); i-- > 0;) {
        const char c = signature[i];
        if (c == ')') {
            ++depth;
        } else if (c == '(') {
            if (--depth == 0) {
                open = i;
                break;
            }
        }
    }
    if (open == std::string::npos)
        return signature;
    end = open;
    // Walk back over the qualified name; template arguments may hold blanks.
    std::string::size_type begin = end;
    int angle = 0;
    while (begin > 0) {
        const char c = signature[begin - 1];
        if (c == '>')
            ++angle;
        else if (c == '<')
            --angle;
        else if ((c == ' ' || c == '*' || c == '&') && angle == 0)
            break;
        --begin;
    }
    return signature.substr(begin, end - begin);
}
