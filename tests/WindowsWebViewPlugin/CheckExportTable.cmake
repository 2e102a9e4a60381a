# Reads the DLL's export table with objdump and compares it, name for name,
# with the names the engine binds.
set(expected
  UnityPluginLoad UnityPluginUnload
  _WebView_browserProcessIsRunning@0 _WebView_deleteCookies@12 _WebView_destroy@4
  _WebView_enableRemoteDebugging@4 _WebView_getCookies@12 _WebView_globallySetUserAgent@4
  _WebView_globallySetUserAgentToMobile@4 _WebView_initializePlugin@28 _WebView_new@20
  _WebView_setAutoplayEnabled@4 _WebView_setCachePath@4 _WebView_setCameraAndMicrophoneEnabled@4
  _WebView_setChromiumLogLevel@4 _WebView_setCommandLineArguments@4 _WebView_setCookie@8
  _WebView_setIgnoreCertificateErrors@4 _WebView_setScreenSharingEnabled@4 _WebView_setTargetFrameRate@8
  _WebView_terminateBrowserProcess@0
  _WebView_getRenderFunction@0 _WebView_depositPointer@4 _WebView_removePointer@4 _WebView_destroyTexture@8)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(names)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(sorted_expected ${expected})
list(SORT sorted_expected)
if(NOT names STREQUAL sorted_expected)
  message(FATAL_ERROR "export table differs\n  found:    ${names}\n  expected: ${sorted_expected}")
endif()
list(LENGTH names count)
message(STATUS "export table holds exactly the ${count} engine names")
