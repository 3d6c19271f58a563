# Fails unless the executable's export table lists every member of HttpWrapper
# that other modules link against: constructors, destructor, assignment,
# virtual table and member operations.
execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXECUTABLE} failed")
endif()
foreach(symbol
    _ZN11HttpWrapperC1Ev _ZN11HttpWrapperC1ERKS_ _ZN11HttpWrapperD0Ev _ZN11HttpWrapperD1Ev
    _ZN11HttpWrapperaSERKS_ _ZTV11HttpWrapper _ZN11HttpWrapper10disconnectEv
    _ZN11HttpWrapper7connectERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEEi
    _ZN11HttpWrapper8httpPostERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEEiS7_S7_RS5_
    _ZN11HttpWrapper16handleHttpOutputERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERS5_
    _ZN11HttpWrapper18isResponseFinishedERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERi)
  string(FIND "${table}" "] ${symbol}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${EXECUTABLE} does not export ${symbol}")
  endif()
endforeach()
