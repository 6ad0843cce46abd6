[playlist]
File2=/b.mp3
File1=/a.mp3
NumberOfEntries=2
Version=2
