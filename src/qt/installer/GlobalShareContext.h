#pragma once

namespace bailan {

// Creates the process's global OpenGL share context, with which Qt shares
// every context it makes afterwards, unless there is one already (the
// application was created with Qt::AA_ShareOpenGLContexts). Qt's own way, that
// attribute, makes it while the application object is built: an OpenGL driver
// start (here Mesa's software driver) that held back the first frame by about
// 100 ms. Only the browser engine needs the context, so it is made when the
// engine is first loaded. True when the
// context exists. The context lives until the application object is destroyed.
// GUI thread only, before the first context that must share with it.
bool EnsureGlobalShareContext();

}  // namespace bailan
