#pragma once

#include <stdexcept>
#include <string>

// A use of a model that the module refuses; the module turns each kind into its Python exception.
class vdcPyError : public std::runtime_error {
public:
    enum class Kind {
        busy,     // another thread uses the model: vdacheck.ModelBusyError
        deleted,  // the entity was deleted from its model: vdacheck.DeletedEntityError
        viewed,   // arrays still view entities that the call could delete: BufferError
    };
    vdcPyError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};
