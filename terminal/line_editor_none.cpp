// Built without line editing: no editor opens, and the answers typed at a
// terminal are read as plain lines like any others.
#include "terminal/line_editor.h"

namespace xas {

struct LineEditor::Session {};

bool LineEditor::available() { return false; }
std::unique_ptr<LineEditor> LineEditor::open(std::FILE*, std::FILE*) { return nullptr; }
LineEditor::LineEditor(std::unique_ptr<Session> session) : session_(std::move(session)) {}
LineEditor::~LineEditor() = default;
bool LineEditor::next(std::string*) { return false; }

}  // namespace xas
