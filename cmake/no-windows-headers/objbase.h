// The portable layers build everywhere: a Windows header belongs in platform/windows or ui/win32.
#error "a portable layer includes <objbase.h>"
