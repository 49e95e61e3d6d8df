#pragma once

#include <iosfwd>

// Lists every rule of the registry: as text, one block per rule (id, kind and entity, severity, repair,
// then the help text); as JSON, one object {"rules": [...]} on one line.
void vdc_write_rules_text(std::ostream& out);
void vdc_write_rules_json(std::ostream& out);
