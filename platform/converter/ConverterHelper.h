#pragma once

namespace pellucor::converter {

// The Python program that drives the shared LibreOffice over UNO. The service
// writes it into its private folder at each start, so nothing beside the
// executable has to be installed. Arguments: pipe name, private folder.
// Requests on stdin, one a line: "convert<TAB>in<TAB>out<TAB>filter", then
// optionally <TAB>import filter and <TAB>checks, separated by commas:
// "readback" (the text meant and the text the saved file reads back as go
// into out.intended.txt and out.readback.txt), "view" (the input is known to
// need a view). Answers on stdout: "ready" once connected, then "ok" or
// "ok<TAB>view" (it was loaded into a view), "error<TAB>text" (LibreOffice
// still answers) or "lost<TAB>text" (it does not). "nouno<TAB>text" first
// means the interpreter has no UNO module. It ends, and takes LibreOffice
// and the private folder with it, when its input closes or an answer finds
// no one to read it.
const char* converterHelperScript();

// The Basic function the helper runs inside LibreOffice to read a story's
// text with its recorded changes accepted; it goes beside the helper, as
// read_text.bas.
const char* readTextBasic();

} // namespace pellucor::converter
