SIMISA@@@@@@@@@@JINX0s1t______

comment ( Corvanel demo placeholder shape for CRV_Class66, not a real shape )
