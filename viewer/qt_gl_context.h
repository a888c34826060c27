// The OpenGL context the view asks for: a compatibility profile, for the fixed-function
// drawing, with a depth buffer and no multisampling.
#pragma once

// Makes that format the default, and has the drawing code find OpenGL extension
// functions through the current context; call before the application object is built.
void use_compatibility_gl_format();
// Whether a context of that format can be created.
bool system_has_opengl();
