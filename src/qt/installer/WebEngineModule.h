#pragma once

namespace bailan {

class TWebEngine;

// The browser engine from the module bailan-webengine, loaded on the first
// call: beside the program, or where this build put it. Qt WebEngine and what
// it starts (its libraries, an OpenGL context shared by every context of the
// process) thus cost the program's start nothing. Null when the module cannot
// be loaded (the reason is logged once): the showcase then never loads, as
// when its server is unreachable. The engine lives until the process ends.
// GUI thread only.
TWebEngine* WebEngine();

}  // namespace bailan
