[playlist]
File1=C:\Music\a.mp3
Title1=A - B
Length1=200
File2=../b.mp3
Title2=x
Length2=-1
NumberOfEntries=2
Version=2