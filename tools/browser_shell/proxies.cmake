# Writes the IDL of the test shell's proxy DLL: the browser interfaces of
# Wine's exdisp.idl taken out of their type library block (MIDL and widl
# make proxies only for interfaces outside one), and the HTML document's
# dispinterface as a plain IDispatch, which is all a dispinterface is on the
# wire.
#   cmake -DIN=<exdisp.idl> -DOUT=<file> -P proxies.cmake
file(READ "${IN}" idl)
string(REGEX REPLACE "\\[[^]]*\\][ \t\r\n]*library SHDocVw[ \t\r\n]*{[ \t\r\n]*importlib\\(\"stdole2.tlb\"\\);"
  "" idl "${idl}")
string(REGEX REPLACE "}[ \t]*/\\* library \\*/" "" idl "${idl}")
if(idl MATCHES "library SHDocVw")
  message(FATAL_ERROR "${IN}: the type library block was not found as expected")
endif()
file(WRITE "${OUT}" "${idl}
[
    object,
    uuid(3050F55F-98B5-11CF-BB82-00AA00BDCE0B),
    pointer_default(unique)
]
interface IHtmlDocumentDispatch : IDispatch
{
}
")
