# GUIDs that the C++ sources and the test shell's registration both name,
# written once here.
include_guard(GLOBAL)

# The platform's: the shell's window collection, and the HTML document's
# dispinterface (DIID_DispHTMLDocument), which MinGW's uuid library lacks.
set(SHELL_WINDOWS_CLSID 9BA05972-F6A8-11CF-A442-00A0C90A8F39)
set(DISP_HTML_DOCUMENT_IID 3050F55F-98B5-11CF-BB82-00AA00BDCE0B)
# The accessibility framework's annotation service, its interface, and the
# name property it annotates (oleacc's; MinGW's libraries lack them).
set(ACC_PROP_SERVICES_CLSID B5F8350B-0548-48B1-A6EE-88BD00B4A5E7)
set(ACC_PROP_SERVICES_IID 6E26E776-04F0-495D-80E4-3330352E3169)
set(ACC_NAME_PROPID 608D3DF8-8128-4AA7-A428-F55E49267291)
# The test shell's own class, and that of its compiled proxies.
set(TEST_SHELL_CLSID DD7859FD-D7FB-48C4-B871-A48CC2A53213)
set(SHELL_PROXIES_CLSID 6E4D1A52-3B7C-4F0E-9A51-2C8D77104B21)

# guid_definition(<target> <macro> <guid>): the target's sources see <macro>
# as the GUID's initializer, {0x3050f55f, 0x98b5, 0x11cf, {0xbb, ...}}.
function(guid_definition target macro guid)
  string(REPLACE "-" "" hex "${guid}")
  string(SUBSTRING "${hex}" 0 8 data1)
  string(SUBSTRING "${hex}" 8 4 data2)
  string(SUBSTRING "${hex}" 12 4 data3)
  set(data4 "")
  foreach(at RANGE 16 30 2)
    string(SUBSTRING "${hex}" ${at} 2 byte)
    list(APPEND data4 "0x${byte}")
  endforeach()
  list(JOIN data4 "," data4)
  target_compile_definitions(${target} PRIVATE
    "${macro}={0x${data1},0x${data2},0x${data3},{${data4}}}")
endfunction()
