# cmake -DIN=demo.toml -DOUT=built.toml -P DemoScenario.cmake
# The built copy of the demo scenario: lines starting with "#+ " (or a lone "#+") lose that mark.
file(READ ${IN} text)
string(REGEX REPLACE "\n#\\+ ?" "\n" text "${text}")
file(WRITE ${OUT} "${text}")
