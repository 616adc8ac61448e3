#pragma once
// A realistic project document: a product with features, components holding
// every kind of item, variables of every type, install types, launch
// conditions, events with nested actions, two languages and a plug-in with
// its configurations.

#include <string_view>

namespace cv::test {

inline constexpr std::string_view kSampleProject = R"xml(<?xml version="1.0"?>
<!-- A project as the authoring tools write it, with the names the engine
     also accepts (paramtype, inifile, ifthen, ifelse, vartype) and letter
     cases that differ from the written form. -->
<cv2project version="2.0.5" ActiveInstallType="typical">
  <variables>
    <var name="AppName" value="Corvane Demo"/>
    <var name="AppID" value="{3F2A-77}"/>
    <var name="InstallPath" value="%ProgramFiles%\Demo" flags="dont_parse_identifiers"/>
    <var name="Edition" type="reg" regkey="HKLM\Software\Demo" regparam="Edition" defvalue="Standard"/>
    <var name="Port" vartype="ini" inifile="demo.ini" inisection="Net" iniparam="Port" defvalue="8080"/>
    <var name="PATH" type="envvar" value="%InstallPath%\bin" flags="add_path,sys_envvar"/>
    <var name="Greeting" value="Hello #1+1#" flags="calc_expression" condition="1"/>
  </variables>
  <packages>
    <package id="main" main="1" filename="demo.exe" flags="3" presetupsize="123456" datasize="9876543210">
      <plugins>
        <plugin id="Wizard2" debugdll="c:\dev\wizard.dll" condition="%SilentMode%=0">
          <config>
            <paramgroup name="Pages">
              <param name="Welcome" value="1"/>
              <param name="License" value="license.rtf"/>
            </paramgroup>
            <paramgroup name="Look">
              <param name="Banner" value="top.bmp"/>
            </paramgroup>
          </config>
          <customconfig>
            <page id="1" kind="welcome"><text>Welcome to &amp; thanks</text></page>
            <page id="2" kind="folder"/>
          </customconfig>
        </plugin>
      </plugins>
      <variables>
        <var name="PackageOnly" value="p"/>
      </variables>
      <fileinfos>
        <fileinfo name="bin\demo.exe" version="2.0.5.17" size="204800"/>
        <fileinfo name="fonts\demo.ttf" fontname="Demo Sans" size="40960"/>
        <fileinfo name="gac\demo.dll" assemblydata="Demo, Version=1.0.0.0" size="8192"/>
      </fileinfos>
    </package>
    <package id="extra" filename="extra.cvp" datasize="1024"/>
  </packages>
  <components>
    <component id="core" keyitemid="exe" package="demo.exe" size="2048" dst="%InstallPath%">
      <files>
        <file id="exe" src="bin\demo.exe" dst="bin" flags="reg_server,shared"/>
        <file id="fonts" src="fonts\*.ttf" dst="%Fonts%" flags="reg_font" action="remove"/>
      </files>
      <registry>
        <reg id="r1" key="HKLM\Software\Demo" param="Path" value="%InstallPath%"/>
        <reg id="r2" key="HKCU\Software\Demo" param="Count" value="3" paramtype="int"/>
        <reg id="r3" key="HKCU\Software\Demo" param="List" value="a|b" type="mstr"/>
      </registry>
      <inifiles>
        <ini id="i1" inifile="%Windows%\demo.ini" section="Net" param="Port" value="8080"/>
        <ini id="i2" file="demo.ini" section="UI" param="Lang" value="%LangID%"/>
      </inifiles>
      <shortcuts>
        <shortcut id="s1" name="%ProgramsMenu%\Demo\Demo.lnk" cmdline="%InstallPath%\bin\demo.exe" arg="/start" workdir="%InstallPath%" iconfile="%InstallPath%\bin\demo.exe" icon="2" hotkey="1604" description="Runs the demo" showcmd="max"/>
      </shortcuts>
      <runapps>
        <runapp id="ra" cmdline="%InstallPath%\bin\setup-db.exe" arg="-q" msg="Preparing the database" showcmd="hide" whenstart="before_uninstall" flags="dont_wait,check_exitcode"/>
      </runapps>
    </component>
    <component id="docs" name="Documentation" package="extra.cvp" size="512" condition='%Edition%<>"Lite"'/>
  </components>
  <features>
    <feature id="app" name="Application" description="The program" required="1">
      <components><component id="core"/></components>
      <features>
        <feature id="help" name="Help">
          <components><component id="docs"/></components>
          <depends><feature id="app"/></depends>
        </feature>
      </features>
    </feature>
    <feature id="samples" name="Samples" condition='%Edition%="Pro"'>
      <excepts><feature id="help"/></excepts>
    </feature>
  </features>
  <installtypes>
    <installtype id="typical" name="Typical" default="1">
      <features><feature id="app"/><feature id="help"/></features>
    </installtype>
    <installtype id="custom" name="Custom" description="Choose yourself" custom="1"/>
  </installtypes>
  <launchconditions>
    <launchcondition condition="%AdminRights%=1" msg="[NeedAdmin]"/>
  </launchconditions>
  <events>
    <event name="Check" eventid="EV_START" whenhandle="before_plugins">
      <action expression='SetVar("Started", 1)'/>
      <if expression='%Edition%="Pro"'>
        <ifthen><action expression='SetVar("Pro", 1)'/></ifthen>
        <ifelse><return expression="0"/></ifelse>
      </if>
      <loop initexpression='SetVar("i", 0)' expression="%i%<3" loopexpression='SetVar("i", %i%+1)' looptype="postcond">
        <continue condition="%i%=1"/>
        <break condition="%i%=2"/>
      </loop>
      <switch expression="%LangID%">
        <case expression='"ENU"'><action expression="1"/></case>
        <action expression="ignored: only cases belong to a switch"/>
        <then><action expression="2"/></then>
      </switch>
      <unknownkind expression="3"/>
    </event>
  </events>
  <languages>
    <language id="en" lngid="ENU" name="English" installname="English" description="English texts">
      <param name="NeedAdmin" value="You need administrator rights."/>
      <param name="Uninstall.Strings.10" value="Removing"/>
    </language>
    <language id="de" lngid="DEU" name="German" installname="Deutsch">
      <param name="NeedAdmin" value="Sie brauchen Administratorrechte."/>
    </language>
    <language id="wiz-en" lngid="ENU" pluginid="Wizard2" name="English">
      <param name="Next" value="&#x26;Next >"/>
    </language>
  </languages>
  <unknown attribute="ignored"><var name="NotAVariable"/></unknown>
</cv2project>
)xml";

}  // namespace cv::test
