#include <vdacheck/io/vda_read_error.h>

namespace {

std::string located(const std::string& source, int line, int column, const std::string& message)
{
    if (line <= 0)
        return source + ": " + message;
    return source + ':' + std::to_string(line) + ':' + std::to_string(column) + ": " + message;
}

}  // namespace

vdaReadError::vdaReadError(std::string source, int line, int column, std::string message)
    : std::runtime_error(located(source, line, column, message)), source_(std::move(source)), line_(line),
      column_(column), message_(std::move(message))
{
}
