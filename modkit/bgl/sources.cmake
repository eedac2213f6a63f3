target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BGLOpcodeDictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BGLCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BGLCommandList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JumpResolution.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Conditions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConditionVariables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeasonalTextures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandWalk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkState.cpp
)
