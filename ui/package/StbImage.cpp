// The one translation unit that holds stb_image's implementation. It is
// compiled with warnings off, since the code is not ours.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include "stb_image.h"
